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

// Gives a control its stable objectName and its place in twips.
template <class Control>
Control* Place(Control* control, const char* objectName, int left, int top, int width, int height) {
    control->setObjectName(QLatin1String(objectName));
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

    createControls();
    wireHandlers();
}

MainForm::~MainForm() = default;

void MainForm::createControls() {
    auto* serverFrame = Place(new QGroupBox(QStringLiteral("Atomic Time Settings"), this), "Frame1",
                              120, 120, 5775, 1335);
    auto* serverCaption =
        Place(MakeLabel(serverFrame, QStringLiteral("&Server:")), "Label1", 240, 400, 615, 255);
    serverList_ = Place(MakeDropDownList(serverFrame), "cboServer", 1200, 360, 4335, 315);
    auto* zoneCaption =
        Place(MakeLabel(serverFrame, QStringLiteral("&GMT Decal:")), "Label2", 240, 765, 855, 255);
    zoneList_ = Place(MakeDropDownList(serverFrame), "cboGMT", 1200, 720, 2175, 315);
    auto* portCaption =
        Place(MakeLabel(serverFrame, QStringLiteral("&Port:")), "Label3", 3960, 765, 495, 255);
    auto* portField =
        Place(new QLineEdit(QStringLiteral("13"), serverFrame), "txtPort", 4560, 720, 975, 315);
    // Shows the port only: it takes the focus and lets the text be selected and
    // copied, but accepts no edits.
    portField->setReadOnly(true);
    portField->setMaxLength(5);
    QPalette portPalette = portField->palette();
    portPalette.setColor(QPalette::Base, portPalette.color(QPalette::Button));
    portField->setPalette(portPalette);

    retrieveButton_ = Place(new QPushButton(QStringLiteral("&Retrieve Atomic Time"), this),
                            "Command1", 120, 1680, 2055, 375);
    retrieveButton_->setToolTip(
        QStringLiteral("Retreive the atomic time from the selected server"));
    setClockButton_ = Place(new QPushButton(QStringLiteral("S&et System Time"), this), "Command3",
                            120, 2160, 2055, 375);
    setClockButton_->setToolTip(QStringLiteral("Change the system time to the atomic time"));
    setClockButton_->setEnabled(false);

    auto* startupFrame = Place(new QGroupBox(QStringLiteral("Startup Settings"), this), "Frame2",
                               120, 2760, 5775, 1215);
    syncAtLogonBox_ = Place(
        new QCheckBox(QStringLiteral("Sy&ncronize system time with the atomic clock on startup"),
                      startupFrame),
        "chkStartupSync", 240, 360, 5295, 255);
    auto* delayCaption = Place(MakeLabel(startupFrame, QStringLiteral("Syncronization &delay:")),
                               "Label5", 515, 780, 1575, 255);
    delayField_ =
        Place(new QLineEdit(QStringLiteral("2"), startupFrame), "txtDelay", 2160, 720, 615, 315);
    delayField_->setMaxLength(4);
    delayField_->setEnabled(false);
    // The delay counts one-second ticks, so the unit shown is seconds.
    auto* delayUnit =
        Place(MakeLabel(startupFrame, QStringLiteral("(seconds)")), "Label6", 2880, 780, 855, 255);

    closeButton_ =
        Place(new QPushButton(QStringLiteral("Close"), this), "Command2", 4560, 4200, 1335, 375);

    auto* timeCaption =
        Place(MakeLabel(this, QStringLiteral("Atomic Time:")), "Label4", 2280, 1920, 3615, 255);
    timeCaption->setAlignment(Qt::AlignCenter);
    QFont bold = timeCaption->font();
    bold.setWeight(QFont::Bold);
    timeCaption->setFont(bold);
    timeLabel_ = Place(MakeLabel(this, QStringLiteral("(not retrieved)")), "lblAtomicTime", 2280,
                       2160, 3615, 255);
    timeLabel_->setAlignment(Qt::AlignCenter);
    statusLabel_ = Place(MakeLabel(this, QString()), "lblStatus", 840, 4320, 45, 195);
    statusLabel_->setWordWrap(false);

    auto* icon = Place(new QLabel(this), "IconImg", 120, 4180, 480, 480);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    icon->setToolTip(QStringLiteral("Brisendale 1.00: sets your clock from a public time server"));

    for (QWidget* control :
         std::initializer_list<QWidget*>{serverCaption, zoneCaption, portCaption, delayCaption,
                                         delayUnit, timeCaption, syncAtLogonBox_}) {
        FitCaption(control);
    }

    // A label's access key moves the focus to the field it names.
    serverCaption->setBuddy(serverList_);
    zoneCaption->setBuddy(zoneList_);
    portCaption->setBuddy(portField);
    delayCaption->setBuddy(delayField_);

    // Tab order: the fields from top to bottom, the buttons beside them, the
    // start-up options, then Close; labels and frames never take the focus.
    const QWidget* order[] = {serverList_,     zoneList_,       portField,   retrieveButton_,
                              setClockButton_, syncAtLogonBox_, delayField_, closeButton_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    }

    // Precise timers: a coarse one may fire up to 5% early, which would cut
    // the logon delay and the reply deadline short.
    logonDelayTimer_ = new QTimer(this);
    logonDelayTimer_->setObjectName(QStringLiteral("DelayTimer"));
    logonDelayTimer_->setTimerType(Qt::PreciseTimer);
    logonDelayTimer_->setInterval(1000);
    logonDelayTimer_->setSingleShot(false);
    daytimeConnection_ = new DaytimeConnection(services_.daytimePort, this);
    daytimeConnection_->setObjectName(QStringLiteral("WSTime"));

    replyDeadline_ = new QTimer(this);
    replyDeadline_->setTimerType(Qt::PreciseTimer);
    replyDeadline_->setSingleShot(true);
    replyDeadline_->setInterval(services_.replyDeadlineMs);

    connectWait_ = new QTimer(this);
    connectWait_->setTimerType(Qt::PreciseTimer);
    connectWait_->setSingleShot(true);
}

template <class Sender, class Signal, class... Args>
void MainForm::wire(Sender* sender, Signal signal, void (MainForm::*handler)(Args...)) {
    connect(sender, signal, this,
            [this, handler](Args... args) { dispatch([&] { (this->*handler)(args...); }); });
}

void MainForm::wireHandlers() {
    // Setting a list's index or the box's state in code runs its handler at
    // once, exactly like a change by the user: Qt emits these signals
    // synchronously.
    wire(serverList_, &QComboBox::currentIndexChanged, &MainForm::discardRetrievedTime);
    wire(zoneList_, &QComboBox::currentIndexChanged, &MainForm::discardRetrievedTime);
    wire(syncAtLogonBox_, &QCheckBox::stateChanged, &MainForm::onSyncBoxChanged);
    wire(retrieveButton_, &QPushButton::clicked, &MainForm::retrieveTime);
    wire(closeButton_, &QPushButton::clicked, &MainForm::closeWindow);
    wire(setClockButton_, &QPushButton::clicked, &MainForm::setSystemTime);
    wire(logonDelayTimer_, &QTimer::timeout, &MainForm::onDelayTick);
    wire(daytimeConnection_, &DaytimeConnection::DataArrival, &MainForm::onReplyData);
    wire(daytimeConnection_, &DaytimeConnection::Error, &MainForm::onConnectionError);
    wire(daytimeConnection_, &DaytimeConnection::PeerClosed, &MainForm::onPeerClosed);
    wire(replyDeadline_, &QTimer::timeout, &MainForm::onReplyDeadline);
    wire(connectWait_, &QTimer::timeout, &MainForm::connectAfterWait);
    delayField_->installEventFilter(this);

    // Close is the window's cancel button: Esc presses it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, closeButton_, &QPushButton::click);
}

void MainForm::dispatch(const std::function<void()>& handler) {
    services_.runtime.Dispatch(this, handler);
}

void MainForm::startUp() {
    dispatch([this] { loadSettings(); });
}

void MainForm::showIfInteractive() {
    if (logonRun || services_.runtime.Ended())
        return;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    serverList_->setFocus(Qt::OtherFocusReason);
}

void MainForm::setStatus(const QString& text) {
    statusLabel_->setText(text);
    // Grow to the right, keeping the top-left corner.
    statusLabel_->resize(statusLabel_->sizeHint().expandedTo(TwipsRect(0, 0, 45, 195).size()));
}

void MainForm::closeEvent(QCloseEvent* event) {
    bool cancelClose = false;
    dispatch([this, &cancelClose] { saveSettingsOnClose(cancelClose); });
    if (cancelClose) {
        event->ignore();
    } else {
        // A retrieval under way or waiting its turn must not go on behind a
        // closed window.
        dispatch([this] { endExchange(); });
        event->accept();
    }
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == delayField_) {
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
                dispatch([this, &passed] { filterDelayKey(passed); });
                if (passed == 0)
                    return true;  // the key is discarded
            }
        } else if (event->type() == QEvent::FocusOut) {
            dispatch([this] { normaliseDelayText(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace brisendale
