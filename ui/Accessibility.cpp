#include "ui/Accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>

#include "ui/QtOwnership.h"
#include "ui/TableView.h"
#include "ui/TableViewCell.h"

namespace nestora::ui {

namespace {

// The table a cell is in: cells are children of its viewport.
TableView* tableOf(const TableViewCell* cell) {
    QWidget* viewport = cell->parentWidget();
    return viewport != nullptr ? qobject_cast<TableView*>(viewport->parentWidget()) : nullptr;
}

class CellAccessible : public QAccessibleWidget {
public:
    explicit CellAccessible(TableViewCell* cell) : QAccessibleWidget(cell, QAccessible::ListItem) {}

    TableViewCell* cell() const { return static_cast<TableViewCell*>(widget()); }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            return cell()->accessibleName().isEmpty() ? cell()->accessibleText() : cell()->accessibleName();
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = cell()->isSelected();
        state.focusable = true;
        const TableView* table = tableOf(cell());
        state.focused = table != nullptr && table->hasFocus() && table->keyboardRow() == table->rowForCell(cell());
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        TableView* table = tableOf(cell());
        const std::optional<int> row = table != nullptr ? table->rowForCell(cell()) : std::nullopt;
        if (name == pressAction() && row) {
            table->activateRow(*row);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {QStringLiteral("Return")}; }
};

QAccessibleInterface* kitInterfaces(const QString&, QObject* object) {
    if (auto* cell = qobject_cast<TableViewCell*>(object)) {
        return new CellAccessible(cell);  // Qt's accessibility cache owns it
    }
    return nullptr;
}

// Return and Enter press a button as Space does.
class ReturnPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (auto* button = qobject_cast<QAbstractButton*>(watched); button != nullptr && button->isEnabled()) {
                    button->click();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

bool& lastInputWasKeyboard() {
    static bool keyboard = false;
    return keyboard;
}

// Watches every key and mouse press of the application.
class InputWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            lastInputWasKeyboard() = true;
        } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::TouchBegin) {
            lastInputWasKeyboard() = false;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

bool keyboardInUse() {
    return lastInputWasKeyboard();
}

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(kitInterfaces);
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->installEventFilter(makeChild<InputWatch>(application));
        }
        return true;
    }();
    (void)installed;
}

QList<QWidget*> tabStops(QWidget* container) {
    QList<QWidget*> stops;
    QWidget* widget = container;
    do {
        widget = widget->nextInFocusChain();
        if (widget != container && container->isAncestorOf(widget) && widget->isVisible() && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) != 0) {
            stops << widget;
        }
    } while (widget != container && stops.size() < 10000);
    return stops;
}

bool cycleFocus(QWidget* container, bool next) {
    const QList<QWidget*> stops = tabStops(container);
    if (stops.isEmpty()) {
        return false;
    }
    const qsizetype at = stops.indexOf(QApplication::focusWidget());
    const qsizetype count = stops.size();
    const qsizetype to = at < 0 ? 0 : (at + (next ? 1 : count - 1)) % count;
    stops[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void makeKeyboardButton(QAbstractButton* button, const QString& accessibleName) {
    button->setFocusPolicy(Qt::StrongFocus);
    if (!accessibleName.isEmpty()) {
        button->setAccessibleName(accessibleName);
    }
    button->installEventFilter(makeChild<ReturnPresses>(button));
}

}  // namespace nestora::ui
