// The delay field's input rules: only digits and Backspace enter it by typing,
// at most four characters; leaving it for another control of the window
// rewrites its text as the number it holds.
#include "app/main_form.h"

#include "platform/runtime/numeric_text.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace brisendale {
namespace {

constexpr std::int16_t kBackspace = 8;
constexpr int kTypedLength = 4;

// A number written back as text the way the runtime writes a double: whole
// numbers in plain digits, others in their shortest usual form.
QString NumberText(double value) {
    if (std::abs(value) < 1e15 && value == std::floor(value)) {
        return QString::number(static_cast<long long>(value));
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.15G", value);
    return QString::fromLatin1(text);
}

// Whether the field would insert the key's text. Ctrl with a key is an editing
// command (copy, paste, undo); any other printable key types, with or without
// Alt: an access key that matched never reaches the field.
bool TypesText(const QKeyEvent& key) {
    const QString text = key.text();
    const bool command =
        (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
    return !command && !text.isEmpty() && text.at(0).isPrint();
}

// Only a move of the focus to another control of the window leaves the field;
// a context menu or another window taking the focus for a while does not.
bool LeavesField(const QFocusEvent& focus) {
    return focus.reason() != Qt::PopupFocusReason && focus.reason() != Qt::ActiveWindowFocusReason;
}

}  // namespace

void MainForm::setUpDelayField() {
    delayField_->setMaxLength(kTypedLength);
    delayField_->setInputMethodHints(Qt::ImhDigitsOnly);
    delayField_->installEventFilter(this);
    // The limit is for what the user enters. A longer number written back
    // keeps all its characters; the limit returns as the user shortens it.
    connect(delayField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const auto length = static_cast<int>(text.size());
        delayField_->setMaxLength(
            std::max(kTypedLength, std::min(delayField_->maxLength(), length)));
    });
}

// Every character typed, by key or through an input method, goes through the
// KeyPress handler, which discards what it sets to 0.
bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != delayField_)
        return QWidget::eventFilter(watched, event);
    auto passes = [this](QChar character) {
        auto code = static_cast<std::int16_t>(character.unicode());
        dispatch([this, &code] { filterDelayKey(code); });
        return code != 0;
    };
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto& key = *static_cast<QKeyEvent*>(event);
            const QString text = key.text();
            if (key.key() == Qt::Key_Backspace)
                return !passes(QChar(kBackspace));
            if (TypesText(key))
                return !std::all_of(text.begin(), text.end(), passes);
            break;
        }
        case QEvent::InputMethod: {
            auto& input = *static_cast<QInputMethodEvent*>(event);
            QString kept;
            std::copy_if(input.commitString().begin(), input.commitString().end(),
                         std::back_inserter(kept), passes);
            if (kept != input.commitString())
                input.setCommitString(kept, input.replacementStart(), input.replacementLength());
            break;
        }
        case QEvent::FocusOut:
            if (LeavesField(*static_cast<QFocusEvent*>(event)))
                dispatch([this] { normaliseDelayText(); });
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void MainForm::filterDelayKey(std::int16_t& keyCode) {
    if (keyCode != kBackspace && (keyCode < '0' || keyCode > '9'))
        keyCode = 0;
}

void MainForm::normaliseDelayText() {
    const QString number = NumberText(NumericValue(delayField_->text().toStdString()));
    delayField_->setMaxLength(std::max(kTypedLength, static_cast<int>(number.size())));
    delayField_->setText(number);
}

}  // namespace brisendale
