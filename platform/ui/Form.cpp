#include "platform/ui/Form.h"

#include <algorithm>

#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTimer>

#include "platform/ui/FormDialog.h"
#include "platform/ui/UiText.h"
#include "platform/ui/WindowRegistry.h"
#include "text/CodePageText.h"

namespace navoket {

struct Form::Control {
    ControlKind kind = ControlKind::label;
    QWidget* widget = nullptr;  // owned by the dialog; null for timers
    QTimer* timer = nullptr;    // owned by the dialog; timers only
    int period = 0;
    Text address;
    std::function<void()> onClick;
    std::function<void()> onTick;
    std::function<void(const Text&)> onNavigate;
};

namespace {

QColor colourFromValue(unsigned value) {
    return QColor(static_cast<int>(value & 0xFFU), static_cast<int>((value >> 8U) & 0xFFU),
                  static_cast<int>((value >> 16U) & 0xFFU));
}

unsigned valueFromColour(const QColor& colour) {
    return static_cast<unsigned>(colour.red()) | (static_cast<unsigned>(colour.green()) << 8U) |
           (static_cast<unsigned>(colour.blue()) << 16U);
}

// The palette role that colours a control's text.
QPalette::ColorRole textRole(ControlKind kind) {
    switch (kind) {
        case ControlKind::editBox:
        case ControlKind::passwordBox:
            return QPalette::Text;
        case ControlKind::button:
            return QPalette::ButtonText;
        default:
            return QPalette::WindowText;
    }
}

bool isEditBox(ControlKind kind) {
    return kind == ControlKind::editBox || kind == ControlKind::passwordBox;
}

// A window under a modal window opened after it takes no input.
bool blockedByModal(const Form* form) {
    const auto& forms = openForms();
    const auto self = std::find(forms.begin(), forms.end(), form);
    return self != forms.end() &&
           std::any_of(self + 1, forms.end(), [](const Form* later) { return later->isModal(); });
}

// Input as a user gives it reaches a control only while its window takes
// input and the control is shown and enabled.
bool controlTakesInput(const Form& form, const QWidget* widget) {
    return form.takesInput() && !widget->isHidden() && widget->isEnabledTo(form.window());
}

}  // namespace

Form::Form(const FormDesign& design)
    : m_windowName(ansiText(design.windowName)), m_dialog(std::make_unique<FormDialog>()) {
    m_dialog->setObjectName(toQString(m_windowName));
    m_dialog->setWindowTitle(toQString(ansiText(design.caption)));
    m_dialog->move(design.left, design.top);
    m_dialog->setFixedSize(design.width, design.height);
    for (const ControlDesign& control : design.controls) {
        buildControl(control);
    }
    QObject::connect(m_dialog.get(), &QDialog::finished, [this] { finish(); });
}

Form::~Form() {
    unregisterOpenForm(this);
}

void Form::buildControl(const ControlDesign& design) {
    auto control = std::make_unique<Control>();
    control->kind = design.kind;
    const Text name = ansiText(design.name);
    const QString objectName = toQString(name);
    const QString text = toQString(ansiText(design.text));
    Control* raw = control.get();
    switch (design.kind) {
        case ControlKind::label: {
            auto* label = new QLabel(text, m_dialog.get());
            // Plain text: program texts such as "<Navoket 验证>" are no markup.
            label->setTextFormat(Qt::PlainText);
            // Like a static control, a label breaks its text into lines only
            // where it has room for a second line; a one-line label whose text
            // runs a pixel or two past its edge keeps it on one line.
            label->setWordWrap(design.height >= 2 * label->fontMetrics().height());
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            control->widget = label;
            break;
        }
        case ControlKind::editBox:
        case ControlKind::passwordBox: {
            auto* edit = new QLineEdit(text, m_dialog.get());
            if (design.kind == ControlKind::passwordBox) {
                edit->setEchoMode(QLineEdit::Password);
            }
            control->widget = edit;
            break;
        }
        case ControlKind::button: {
            auto* button = new QPushButton(text, m_dialog.get());
            // A window of the runtime has no default button: Enter in an edit
            // box clicks nothing.
            button->setAutoDefault(false);
            QObject::connect(button, &QPushButton::clicked, [raw] {
                if (raw->onClick) {
                    raw->onClick();
                }
            });
            control->widget = button;
            break;
        }
        case ControlKind::timer: {
            control->timer = new QTimer(m_dialog.get());
            // Ticks keep to the period as a window timer does; Qt's default
            // coarse timers may slip by 5 % of it.
            control->timer->setTimerType(Qt::PreciseTimer);
            control->timer->setObjectName(objectName);
            control->period = design.timerPeriod;
            QObject::connect(control->timer, &QTimer::timeout, [raw] {
                if (raw->onTick) {
                    raw->onTick();
                }
            });
            break;
        }
        case ControlKind::browser: {
            // No page is ever shown in it (it only starts downloads), so it
            // stays an empty, frameless area beneath the controls it overlaps.
            auto* frame = new QFrame(m_dialog.get());
            frame->setFrameShape(QFrame::NoFrame);
            frame->setAttribute(Qt::WA_TransparentForMouseEvents);
            frame->lower();
            control->widget = frame;
            break;
        }
    }
    if (control->widget != nullptr) {
        control->widget->setObjectName(objectName);
        control->widget->setGeometry(design.left, design.top, design.width, design.height);
    }
    m_controls[name] = std::move(control);
}

Form::Control* Form::find(const Text& control) {
    const auto found = m_controls.find(control);
    return found == m_controls.end() ? nullptr : found->second.get();
}

const Form::Control* Form::find(const Text& control) const {
    const auto found = m_controls.find(control);
    return found == m_controls.end() ? nullptr : found->second.get();
}

bool Form::takesInput() const {
    return m_open && !blockedByModal(this);
}

void Form::onCreated(std::function<void()> handler) {
    m_onCreated = std::move(handler);
}

void Form::onClicked(const Text& control, std::function<void()> handler) {
    if (Control* found = find(control)) {
        found->onClick = std::move(handler);
    }
}

void Form::onTimer(const Text& control, std::function<void()> handler) {
    if (Control* found = find(control)) {
        found->onTick = std::move(handler);
    }
}

void Form::onNavigate(const Text& control, std::function<void(const Text&)> handler) {
    if (Control* found = find(control)) {
        found->onNavigate = std::move(handler);
    }
}

void Form::onClosed(std::function<void()> handler) {
    m_onClosed = std::move(handler);
}

// The window exists from here on: it is listed, its timers run (their ticks
// come from the next event loop on), and its creation handler runs.
void Form::begin() {
    m_open = true;
    registerOpenForm(this);
    for (auto& [name, control] : m_controls) {
        if (control->timer != nullptr && control->period > 0) {
            control->timer->start(control->period);
        }
    }
    if (m_onCreated) {
        m_onCreated();
    }
}

void Form::finish() {
    if (!m_open) {
        return;
    }
    m_open = false;
    m_closed = true;
    for (auto& [name, control] : m_controls) {
        if (control->timer != nullptr) {
            control->timer->stop();
        }
    }
    unregisterOpenForm(this);
    if (m_onClosed) {
        m_onClosed();
    }
}

void Form::open() {
    if (m_open || m_closed) {
        return;
    }
    begin();
    if (m_open) {
        m_dialog->show();
    }
}

void Form::loadModal() {
    if (m_open || m_closed) {
        return;
    }
    m_modal = true;
    m_dialog->setWindowModality(Qt::ApplicationModal);
    begin();
    if (m_open) {
        m_dialog->exec();
    }
    finish();
}

void Form::close() {
    if (!m_open) {
        return;
    }
    if (m_dialog->isVisible()) {
        m_dialog->close();
    }
    // A window closed inside its creation handler was never shown.
    if (m_open) {
        m_dialog->done(QDialog::Rejected);
        finish();
    }
}

Text Form::caption() const {
    return fromQString(m_dialog->windowTitle());
}

void Form::setCaption(const Text& caption) {
    m_dialog->setWindowTitle(toQString(caption));
}

int Form::height() const {
    return m_dialog->height();
}

void Form::setHeight(int height) {
    m_dialog->setFixedHeight(std::max(height, 0));
}

std::optional<ControlKind> Form::controlKind(const Text& control) const {
    const Control* found = find(control);
    return found == nullptr ? std::nullopt : std::optional<ControlKind>(found->kind);
}

Text Form::controlCaption(const Text& control) const {
    const Control* found = find(control);
    if (found == nullptr) {
        return {};
    }
    if (found->kind == ControlKind::label) {
        return fromQString(static_cast<QLabel*>(found->widget)->text());
    }
    if (found->kind == ControlKind::button) {
        return fromQString(static_cast<QPushButton*>(found->widget)->text());
    }
    return {};
}

void Form::setControlCaption(const Text& control, const Text& caption) {
    Control* found = find(control);
    if (found == nullptr) {
        return;
    }
    if (found->kind == ControlKind::label) {
        static_cast<QLabel*>(found->widget)->setText(toQString(caption));
    } else if (found->kind == ControlKind::button) {
        static_cast<QPushButton*>(found->widget)->setText(toQString(caption));
    }
}

Text Form::controlText(const Text& control) const {
    const Control* found = find(control);
    if (found == nullptr || !isEditBox(found->kind)) {
        return {};
    }
    return fromQString(static_cast<QLineEdit*>(found->widget)->text());
}

void Form::setControlText(const Text& control, const Text& text) {
    Control* found = find(control);
    if (found != nullptr && isEditBox(found->kind)) {
        static_cast<QLineEdit*>(found->widget)->setText(toQString(text));
    }
}

unsigned Form::controlColour(const Text& control) const {
    const Control* found = find(control);
    if (found == nullptr || found->widget == nullptr) {
        return 0;
    }
    return valueFromColour(found->widget->palette().color(textRole(found->kind)));
}

void Form::setControlColour(const Text& control, unsigned colour) {
    Control* found = find(control);
    if (found == nullptr || found->widget == nullptr) {
        return;
    }
    QPalette palette = found->widget->palette();
    palette.setColor(textRole(found->kind), colourFromValue(colour));
    found->widget->setPalette(palette);
}

bool Form::controlVisible(const Text& control) const {
    const Control* found = find(control);
    return found != nullptr && found->widget != nullptr && !found->widget->isHidden();
}

void Form::setControlVisible(const Text& control, bool visible) {
    Control* found = find(control);
    if (found != nullptr && found->widget != nullptr) {
        found->widget->setVisible(visible);
    }
}

bool Form::controlEnabled(const Text& control) const {
    const Control* found = find(control);
    return found != nullptr && found->widget != nullptr &&
           found->widget->isEnabledTo(m_dialog.get());
}

void Form::setControlEnabled(const Text& control, bool enabled) {
    Control* found = find(control);
    if (found != nullptr && found->widget != nullptr) {
        found->widget->setEnabled(enabled);
    }
}

int Form::controlHeight(const Text& control) const {
    const Control* found = find(control);
    return found == nullptr || found->widget == nullptr ? 0 : found->widget->height();
}

int Form::timerPeriod(const Text& control) const {
    const Control* found = find(control);
    return found == nullptr ? 0 : found->period;
}

void Form::setTimerPeriod(const Text& control, int period) {
    Control* found = find(control);
    if (found == nullptr || found->timer == nullptr || period == found->period) {
        return;
    }
    found->period = period;
    found->timer->stop();
    if (period > 0 && m_open) {
        found->timer->start(period);
    }
}

Text Form::browserAddress(const Text& control) const {
    const Control* found = find(control);
    return found == nullptr ? Text() : found->address;
}

void Form::setBrowserAddress(const Text& control, const Text& address) {
    Control* found = find(control);
    if (found == nullptr || found->kind != ControlKind::browser) {
        return;
    }
    found->address = address;
    if (found->onNavigate) {
        found->onNavigate(address);
    }
}

bool Form::click(const Text& control) {
    Control* found = find(control);
    if (found == nullptr || found->kind != ControlKind::button ||
        !controlTakesInput(*this, found->widget)) {
        return false;
    }
    static_cast<QPushButton*>(found->widget)->click();
    return true;
}

bool Form::typeText(const Text& control, const Text& text) {
    Control* found = find(control);
    if (found == nullptr || !isEditBox(found->kind) || !controlTakesInput(*this, found->widget)) {
        return false;
    }
    static_cast<QLineEdit*>(found->widget)->setText(toQString(text));
    return true;
}

QWidget* Form::window() const {
    return m_dialog.get();
}

QWidget* Form::controlWidget(const Text& control) const {
    const Control* found = find(control);
    return found == nullptr ? nullptr : found->widget;
}

}  // namespace navoket
