// The window in the state in which it first appears: every control with its
// caption, place, size and initial state, the tab order and the event wiring.
#include "app/main_form.h"

#include "app/twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

// The icon is compiled into this library; a static library's resources must
// be registered by hand, and only outside any namespace.
static void RegisterIconResource() {
    Q_INIT_RESOURCE(brisendale);
}

namespace brisendale {
namespace {

QFont WindowFont() {
    QFont font;
    // Tahoma where installed; elsewhere a sans serif of similar width keeps
    // the captions inside the boxes laid out for it.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    return font;
}

template <class Control>
Control* Place(Control* control, int left, int top, int width, int height) {
    control->setGeometry(TwipsRect(left, top, width, height));
    return control;
}

QLabel* MakeLabel(QWidget* parent, const QString& caption) {
    return new QLabel(caption, parent);
}

// Where Tahoma is missing, the fallback font is wider and a caption could be
// cut off at the edge of its box; narrow that control's font just enough.
void FitCaption(QWidget* control) {
    QFont font = control->font();
    for (int stretch = 95; stretch >= 80 && control->sizeHint().width() > control->width();
         stretch -= 5) {
        font.setStretch(stretch);
        control->setFont(font);
    }
}

QComboBox* MakeDropDownList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setEditable(false);  // the user picks an entry and cannot type
    return list;
}

}  // namespace

MainForm::MainForm(const MainFormServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Brisendale"));
    setFont(WindowFont());
    // Fixed single border: the user cannot resize the window.
    setFixedSize(TwipsToPixels(6030), TwipsToPixels(4710));

    RegisterIconResource();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/brisendale-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/brisendale-32.png"), QSize(32, 32));
    setWindowIcon(icon);

    CreateControls();
    WireEvents();
}

MainForm::~MainForm() = default;

void MainForm::CreateControls() {
    Frame1 =
        Place(new QGroupBox(QStringLiteral("Atomic Time Settings"), this), 120, 120, 5775, 1335);
    Label1 = Place(MakeLabel(Frame1, QStringLiteral("&Server:")), 240, 400, 615, 255);
    cboServer = Place(MakeDropDownList(Frame1), 1200, 360, 4335, 315);
    Label2 = Place(MakeLabel(Frame1, QStringLiteral("&GMT Decal:")), 240, 765, 855, 255);
    cboGMT = Place(MakeDropDownList(Frame1), 1200, 720, 2175, 315);
    Label3 = Place(MakeLabel(Frame1, QStringLiteral("&Port:")), 3960, 765, 495, 255);
    txtPort = Place(new QLineEdit(QStringLiteral("13"), Frame1), 4560, 720, 975, 315);
    // Shows the port only: it takes the focus and lets the text be selected and
    // copied, but accepts no edits.
    txtPort->setReadOnly(true);
    txtPort->setMaxLength(5);
    QPalette portPalette = txtPort->palette();
    portPalette.setColor(QPalette::Base, portPalette.color(QPalette::Button));
    txtPort->setPalette(portPalette);

    Command1 =
        Place(new QPushButton(QStringLiteral("&Retrieve Atomic Time"), this), 120, 1680, 2055, 375);
    Command1->setToolTip(QStringLiteral("Retreive the atomic time from the selected server"));
    Command3 =
        Place(new QPushButton(QStringLiteral("S&et System Time"), this), 120, 2160, 2055, 375);
    Command3->setToolTip(QStringLiteral("Change the system time to the atomic time"));
    Command3->setEnabled(false);

    Frame2 = Place(new QGroupBox(QStringLiteral("Startup Settings"), this), 120, 2760, 5775, 1215);
    chkStartupSync = Place(
        new QCheckBox(QStringLiteral("Sy&ncronize system time with the atomic clock on startup"),
                      Frame2),
        240, 360, 5295, 255);
    Label5 =
        Place(MakeLabel(Frame2, QStringLiteral("Syncronization &delay:")), 515, 780, 1575, 255);
    txtDelay = Place(new QLineEdit(QStringLiteral("2"), Frame2), 2160, 720, 615, 315);
    txtDelay->setMaxLength(4);
    txtDelay->setEnabled(false);
    // The delay counts one-second ticks, so the unit shown is seconds.
    Label6 = Place(MakeLabel(Frame2, QStringLiteral("(seconds)")), 2880, 780, 855, 255);

    Command2 = Place(new QPushButton(QStringLiteral("Close"), this), 4560, 4200, 1335, 375);

    Label4 = Place(MakeLabel(this, QStringLiteral("Atomic Time:")), 2280, 1920, 3615, 255);
    Label4->setAlignment(Qt::AlignCenter);
    QFont bold = Label4->font();
    bold.setWeight(QFont::Bold);
    Label4->setFont(bold);
    lblAtomicTime =
        Place(MakeLabel(this, QStringLiteral("(not retrieved)")), 2280, 2160, 3615, 255);
    lblAtomicTime->setAlignment(Qt::AlignCenter);
    lblStatus = Place(MakeLabel(this, QString()), 840, 4320, 45, 195);
    lblStatus->setWordWrap(false);

    IconImg = Place(new QLabel(this), 120, 4180, 480, 480);
    IconImg->setPixmap(windowIcon().pixmap(32, 32));
    IconImg->setToolTip(
        QStringLiteral("Brisendale 1.00: sets your clock from a public time server"));

    for (QWidget* control : std::initializer_list<QWidget*>{Label1, Label2, Label3, Label5, Label6,
                                                            Label4, chkStartupSync}) {
        FitCaption(control);
    }

    // A label's access key moves the focus to the field it names.
    Label1->setBuddy(cboServer);
    Label2->setBuddy(cboGMT);
    Label3->setBuddy(txtPort);
    Label5->setBuddy(txtDelay);

    // Tab order: cboServer, cboGMT, txtPort, Command1, Command3, chkStartupSync,
    // txtDelay, Command2; labels and frames never take the focus.
    const QWidget* order[] = {cboServer, cboGMT,         txtPort,  Command1,
                              Command3,  chkStartupSync, txtDelay, Command2};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    }

    // Precise timers: a coarse one may fire up to 5% early, which would cut
    // the logon delay and the reply deadline short.
    DelayTimer = new QTimer(this);
    DelayTimer->setTimerType(Qt::PreciseTimer);
    DelayTimer->setInterval(1000);
    DelayTimer->setSingleShot(false);
    WSTime = new DaytimeConnection(services_.daytimePort, this);

    replyDeadline_ = new QTimer(this);
    replyDeadline_->setTimerType(Qt::PreciseTimer);
    replyDeadline_->setSingleShot(true);
    replyDeadline_->setInterval(services_.replyDeadlineMs);
}

void MainForm::WireEvents() {
    // Setting a list's index or the box's value in code raises Click at once,
    // exactly like a change by the user: Qt emits these signals synchronously.
    connect(cboServer, &QComboBox::currentIndexChanged, this,
            [this] { Handle([this] { cboServer_Click(); }); });
    connect(cboGMT, &QComboBox::currentIndexChanged, this,
            [this] { Handle([this] { cboGMT_Click(); }); });
    connect(chkStartupSync, &QCheckBox::stateChanged, this,
            [this] { Handle([this] { chkStartupSync_Click(); }); });
    connect(Command1, &QPushButton::clicked, this,
            [this] { Handle([this] { Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { Handle([this] { Command2_Click(); }); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { Handle([this] { Command3_Click(); }); });
    connect(DelayTimer, &QTimer::timeout, this, [this] { Handle([this] { DelayTimer_Timer(); }); });
    connect(WSTime, &DaytimeConnection::DataArrival, this,
            [this](qint32 bytes) { Handle([this, bytes] { WSTime_DataArrival(bytes); }); });
    connect(WSTime, &DaytimeConnection::Error, this,
            [this](qint16 number, const QString& description) {
                Handle([this, number, description] { WSTime_Error(number, description); });
            });
    connect(WSTime, &DaytimeConnection::PeerClosed, this,
            [this] { Handle([this] { WSTime_Close(); }); });
    connect(replyDeadline_, &QTimer::timeout, this,
            [this] { Handle([this] { ReplyDeadline_Timer(); }); });
    txtDelay->installEventFilter(this);

    // Close is the window's cancel button: Esc presses it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command2, &QPushButton::click);
}

void MainForm::Handle(const std::function<void()>& handler) {
    services_.runtime.Dispatch(this, handler);
}

void MainForm::Load() {
    Handle([this] { Form_Load(); });
}

void MainForm::ShowIfInteractive() {
    if (StartupMode || services_.runtime.Ended())
        return;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    cboServer->setFocus(Qt::OtherFocusReason);
}

void MainForm::SetStatus(const QString& text) {
    lblStatus->setText(text);
    // Grow to the right, keeping the top-left corner.
    lblStatus->resize(lblStatus->sizeHint().expandedTo(TwipsRect(0, 0, 45, 195).size()));
}

void MainForm::closeEvent(QCloseEvent* event) {
    std::int16_t cancel = 0;
    Handle([this, &cancel] { Form_QueryUnload(cancel, 0); });
    if (cancel != 0) {
        event->ignore();
    } else {
        event->accept();
    }
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtDelay) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Only typed characters reach the handler. Tab and Esc move the
            // focus or close the window, and shortcuts such as Ctrl+V are editing
            // commands; pasted text is normalised when the field is left.
            const bool command =
                key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            std::int16_t code = 0;
            if (key->key() == Qt::Key_Backspace) {
                code = 8;
            } else if (!command && !key->text().isEmpty() && key->text().at(0).isPrint()) {
                code = static_cast<std::int16_t>(key->text().at(0).unicode());
            }
            if (code != 0) {
                std::int16_t passed = code;
                Handle([this, &passed] { txtDelay_KeyPress(passed); });
                if (passed == 0)
                    return true;  // the key is discarded
            }
        } else if (event->type() == QEvent::FocusOut) {
            Handle([this] { txtDelay_LostFocus(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace brisendale
