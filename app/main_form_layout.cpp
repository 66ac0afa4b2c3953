// The window in the state in which it first appears: every control with its
// caption, place, size and initial state, the tab order and the event wiring.
#include "app/main_form.h"

#include "app/caption_fit.h"
#include "app/twips.h"
#include "timesync/daytime_reply.h"

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

#include <algorithm>
#include <utility>

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

QComboBox* MakeDropDownList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setEditable(false);  // the user picks an entry and cannot type
    // The entries come later; each one must fit when it is chosen.
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                     [list] { FitCaption(list); });
    return list;
}

// Enter and keypad Enter press the focused button, as Space does.
QPushButton* MakeButton(QWidget* parent, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(true);
    return button;
}

// Close is the window's cancel button: Esc presses it, as in a dialog. Only
// an Esc that no control took for itself gets here, so Esc in an open list
// closes the list and leaves the window open.
class CancelKey : public QObject {
  public:
    CancelKey(QWidget* window, QPushButton* cancelButton)
        : QObject(window), cancelButton_(cancelButton) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel))
            return false;
        cancelButton_->click();
        return true;
    }

  private:
    QPushButton* cancelButton_;
};

}  // namespace

MainForm::MainForm(const MainFormServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      runtime_(services.runtime),
      session_(new SyncSession(services.sync, this)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Brisendale"));
    setFont(WindowFont());
    // Fixed single border: the user cannot resize the window.
    setFixedSize(TwipsToPixels(6030), TwipsToPixels(4710));

    RegisterIconResource();
    QIcon icon;
    for (int side : {16, 32, 48, 128}) {
        icon.addFile(QStringLiteral(":/icons/brisendale-%1.png").arg(side), QSize(side, side));
    }
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

    retrieveButton_ = Place(MakeButton(this, QStringLiteral("&Retrieve Atomic Time")), "Command1",
                            120, 1680, 2055, 375);
    retrieveButton_->setToolTip(
        QStringLiteral("Retreive the atomic time from the selected server"));
    setClockButton_ = Place(MakeButton(this, QStringLiteral("S&et System Time")), "Command3", 120,
                            2160, 2055, 375);
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
    delayField_->setEnabled(false);
    setUpDelayField();
    delayField_->setAccessibleDescription(
        QStringLiteral("Seconds to wait after logon before the clock is synchronised"));
    // The delay counts one-second ticks, so the unit shown is seconds.
    auto* delayUnit =
        Place(MakeLabel(startupFrame, QStringLiteral("(seconds)")), "Label6", 2880, 780, 855, 255);

    closeButton_ =
        Place(MakeButton(this, QStringLiteral("Close")), "Command2", 4560, 4200, 1335, 375);

    // 15 twips lower than the 255 of the other labels, so that it ends where
    // the time below it begins instead of covering its top pixel row.
    auto* timeCaption =
        Place(MakeLabel(this, QStringLiteral("Atomic Time:")), "Label4", 2280, 1920, 3615, 240);
    timeCaption->setAlignment(Qt::AlignCenter);
    QFont bold = timeCaption->font();
    bold.setWeight(QFont::Bold);
    timeCaption->setFont(bold);
    // The time looks like a label, but it is a read-only field so that the
    // keyboard, and with it a screen reader, can reach it.
    timeLabel_ = Place(new QLineEdit(QStringLiteral("(not retrieved)"), this), "lblAtomicTime",
                       2280, 2160, 3615, 255);
    timeLabel_->setReadOnly(true);
    timeLabel_->setFrame(false);
    timeLabel_->setAlignment(Qt::AlignCenter);
    QPalette timePalette = timeLabel_->palette();
    timePalette.setColor(QPalette::Base, timePalette.color(QPalette::Window));
    timeLabel_->setPalette(timePalette);

    // The status line runs from its left edge to just short of Close, beside
    // the button and down to the window's bottom margin, which leaves room
    // for a second line when a long text needs one.
    statusLabel_ = new StatusLine(this);
    statusLabel_->setObjectName(QStringLiteral("lblStatus"));
    const int statusLeft = TwipsToPixels(840);
    const int statusBottom = TwipsToPixels(4710 - 60);
    statusLabel_->setGeometry(statusLeft, closeButton_->y(),
                              closeButton_->x() - TwipsToPixels(120) - statusLeft,
                              statusBottom - closeButton_->y());
    // A newly received time is announced with the status that reports it.
    connect(timeLabel_, &QLineEdit::textChanged, statusLabel_, [this](const QString& time) {
        statusLabel_->announceWithNextText(IsValidTimeOfDay(time.toStdString())
                                               ? QStringLiteral("Atomic Time: ") + time
                                               : QString());
    });

    auto* icon = Place(new QLabel(this), "IconImg", 120, 4180, 480, 480);
    // Drawn from the larger images where the display is scaled, not blown up.
    icon->setPixmap(windowIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
    icon->setToolTip(QStringLiteral("Brisendale 1.00: sets your clock from a public time server"));
    icon->setAccessibleName(QStringLiteral("Brisendale"));
    icon->setAccessibleDescription(icon->toolTip());

    for (QWidget* control : std::initializer_list<QWidget*>{
             serverCaption, zoneCaption, portCaption, delayCaption, delayUnit, timeCaption,
             syncAtLogonBox_, retrieveButton_, setClockButton_, closeButton_}) {
        FitCaption(control);
    }

    // A label's access key moves the focus to the field it names, and screen
    // readers take the label as the field's name.
    serverCaption->setBuddy(serverList_);
    zoneCaption->setBuddy(zoneList_);
    portCaption->setBuddy(portField);
    delayCaption->setBuddy(delayField_);
    timeCaption->setBuddy(timeLabel_);

    // Tab order: the fields from top to bottom, the buttons beside them, the
    // start-up options, Close, then the retrieved time; labels and frames
    // never take the focus.
    const QWidget* order[] = {serverList_,     zoneList_,       portField,
                              retrieveButton_, setClockButton_, syncAtLogonBox_,
                              delayField_,     closeButton_,    timeLabel_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    }
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

    wire(session_, &SyncSession::connecting, &MainForm::showConnecting);
    wire(session_, &SyncSession::retrieved, &MainForm::showRetrievedTime);
    wire(session_, &SyncSession::retrievalFailed, &MainForm::showFailure);
    wire(session_, &SyncSession::discarded, &MainForm::showNotRetrieved);
    wire(session_, &SyncSession::awaitingAuthorisation, &MainForm::showAwaitingAuthorisation);
    wire(session_, &SyncSession::clockSet, &MainForm::showClockSet);
    wire(session_, &SyncSession::clockRefused, &MainForm::showClockRefused);
    connect(session_, &SyncSession::canSetClockChanged, setClockButton_, &QWidget::setEnabled);

    new CancelKey(this, closeButton_);
}

void MainForm::dispatch(const std::function<void()>& handler) {
    runtime_.Dispatch(this, handler);
}

void MainForm::startUp() {
    dispatch([this] { loadSettings(); });
}

void MainForm::showCentred() {
    if (runtime_.Ended())
        return;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    serverList_->setFocus(Qt::OtherFocusReason);
    if (!startWarning_.isEmpty())
        runtime_.ShowWarning(this, std::exchange(startWarning_, QString()));
}

void MainForm::setStatus(const QString& text) {
    statusLabel_->setText(text);
}

void MainForm::closeEvent(QCloseEvent* event) {
    bool cancelClose = false;
    dispatch([this, &cancelClose] { saveSettingsOnClose(cancelClose); });
    if (cancelClose) {
        event->ignore();
    } else {
        // A retrieval under way or waiting its turn must not go on behind a
        // closed window.
        session_->Cancel();
        event->accept();
    }
}

}  // namespace brisendale
