#include "ui/BankToolBar.h"

#include <QMouseEvent>
#include <QToolButton>

#include "bank/BankLayout.h"
#include "platform/Text.h"
#include "ui/Icons.h"
#include "ui/QtText.h"

namespace quillon {

namespace {

// The title field stands right of the buttons, 443 by 21 pixels.
constexpr int kTitleWidth = 443;
constexpr int kTitleHeight = 21;

}  // namespace

CTitleEdit::CTitleEdit(CQuillonDoc& doc, QWidget* parent) : QLineEdit(parent), doc_(doc) {
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setFixedSize(kTitleWidth, kTitleHeight);
    setMaxLength(int(kMaxTitleChars));
    setToolTip(tr("Bank title/description"));
    setStatusTip(tr("The bank's title or description, stored with the bank"));
    showTitle();
    doc_.addObserver(this);
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        doc_.setTitle(toStdString(text));  // the document cuts it to what the bank holds
    });
}

CTitleEdit::~CTitleEdit() {
    doc_.removeObserver(this);
}

void CTitleEdit::mousePressEvent(QMouseEvent* event) {
    if (allowPress && !allowPress()) return;
    QLineEdit::mousePressEvent(event);
}

void CTitleEdit::bankValuesChanged() {
    showTitle();
}

void CTitleEdit::showTitle() {
    QString title = toQString(doc_.values().title);
    // Typing writes the title back; setting the same text again would move
    // the caret to the end under the user's fingers.
    if (title != text()) setText(title);
}

CBankToolBar::CBankToolBar(CQuillonDoc& doc, QWidget* parent)
    : QToolBar(tr("Toolbar"), parent), titleEdit_(new CTitleEdit(doc, this)) {
    setObjectName("toolbar");
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void CBankToolBar::addButtons(const std::vector<QAction*>& actions) {
    // Gaps group the buttons: file, move, playback flags and groups, listening,
    // export.
    const std::vector<int> gapsAfter = {2, 4, 7, 10};
    for (size_t i = 0; i < actions.size(); ++i) {
        addAction(actions[i]);
        auto* button = qobject_cast<QToolButton*>(widgetForAction(actions[i]));
        button->installEventFilter(this);
        button->setAutoRaise(true);
        buttons_.push_back(button);
        if (std::find(gapsAfter.begin(), gapsAfter.end(), int(i)) != gapsAfter.end())
            addSeparator();
    }
    auto* gap = new QWidget(this);
    gap->setFixedWidth(12);
    addWidget(gap);
    addWidget(titleEdit_);
}

QToolButton* CBankToolBar::button(int index) const {
    return index >= 0 && size_t(index) < buttons_.size() ? buttons_[size_t(index)] : nullptr;
}

void CBankToolBar::setPressGate(std::function<bool()> gate) {
    gate_ = gate;
    titleEdit_->allowPress = std::move(gate);
}

void CBankToolBar::endRepeat() {
    pressedIndex_ = 0;
    for (int index : {kMoveUpIndex, kMoveDownIndex})
        if (QToolButton* b = button(index)) b->setDown(false);
}

bool CBankToolBar::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QToolButton*>(watched);
    if (!button ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease))
        return QToolBar::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonRelease) {
        if (mouse->button() == Qt::LeftButton) {
            buttonHeld_ = false;
            pressedIndex_ = 0;
        }
        return false;
    }
    if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton) return false;
    // An invalid pending cell edit keeps the press from the button, and
    // nothing counts as held then.
    if (gate_ && !gate_()) return true;
    if (mouse->button() == Qt::LeftButton) {
        buttonHeld_ = true;
        heldTicks_ = 0;
        auto it = std::find(buttons_.begin(), buttons_.end(), button);
        // A disabled button takes the press without acting on it, so holding
        // it must not repeat its command either.
        bool counts = it != buttons_.end() && button->isEnabled();
        pressedIndex_ = counts ? int(it - buttons_.begin()) : -1;
    }
    return false;
}

}  // namespace quillon
