#pragma once

// One row of a TableView: a content view holding the standard image (left)
// and text, an accessory on the right, and in edit mode a delete control on
// the left and a reorder grip on the right. Subclasses add their own labels
// to contentView() and place them in layoutSubviews().

#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "ui/TruncatingLabel.h"

namespace nestora::ui {

enum class AccessoryType { None, DisclosureIndicator, DetailDisclosureButton };
// How a selected cell looks: highlighted in blue, or not at all.
enum class SelectionStyle { Blue, None };
// The line under each row, as the table sets it.
enum class SeparatorStyle { None, SingleLine, SingleLineEtched };

class TableViewCell : public QWidget {
    Q_OBJECT
public:
    // What a point in the cell is over.
    enum class Part { Body, DeleteControl, DeleteButton, Accessory, ReorderControl };

    explicit TableViewCell(QString reuseIdentifier);
    ~TableViewCell() override;

    const QString& reuseIdentifier() const { return reuseIdentifier_; }

    QWidget* contentView() const { return contentView_; }
    TruncatingLabel* textLabel() const { return textLabel_; }
    QLabel* imageView() const { return imageView_; }
    void setText(const QString& text);
    // A null pixmap shows no image.
    void setImage(const QPixmap& image);

    AccessoryType accessoryType() const { return accessory_; }
    void setAccessoryType(AccessoryType type);
    // Whether the accessory stays while editing (it is hidden by default).
    void setShowsAccessoryWhenEditing(bool shows);

    // Edit mode as the table sets it.
    void setEditingState(bool editing, bool deletable, bool movable);
    bool isEditing() const { return editing_; }
    // How far the edit controls are in while edit mode comes or goes: 0
    // shows the plain row, 1 (the default) the whole controls.
    void setEditControlsAmount(qreal amount);
    // The red "Delete" button, shown after a tap on the delete control.
    void setShowingDeleteConfirmation(bool showing);
    bool isShowingDeleteConfirmation() const { return confirmingDelete_; }

    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    // With SelectionStyle::None a selected cell looks like any other.
    void setSelectionStyle(SelectionStyle style);
    SelectionStyle selectionStyle() const { return selectionStyle_; }
    bool isHighlighted() const { return selected_ && selectionStyle_ != SelectionStyle::None; }

    void setSeparatorStyle(SeparatorStyle style);
    SeparatorStyle separatorStyle() const { return separator_; }

    Part partAt(const QPoint& point) const;

    // What a screen reader says of the row: its text, by default.
    virtual QString accessibleText() const { return textLabel_->text(); }
    // The ring round the row the keyboard is on.
    void setKeyboardFocused(bool focused);
    bool isKeyboardFocused() const { return keyboardFocused_; }

    // Places the content view and the standard image and text label; called
    // on every resize and state change. Subclasses call this first.
    virtual void layoutSubviews();

protected:
    // A subclass with labels of its own turns their text white here while
    // the row is highlighted, as the standard text label does.
    virtual void highlightChanged(bool highlighted) { (void)highlighted; }
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    QRect accessoryRect() const;
    QRect deleteControlRect() const;
    QRect deleteButtonRect() const;
    QRect reorderRect() const;

private:
    QString reuseIdentifier_;
    QWidget* contentView_ = nullptr;
    QLabel* imageView_ = nullptr;
    TruncatingLabel* textLabel_ = nullptr;
    AccessoryType accessory_ = AccessoryType::None;
    bool showsAccessoryWhenEditing_ = false;
    qreal editAmount_ = 1.0;
    bool keyboardFocused_ = false;
    bool editing_ = false;
    bool deletable_ = false;
    bool movable_ = false;
    bool confirmingDelete_ = false;
    bool selected_ = false;
    SelectionStyle selectionStyle_ = SelectionStyle::Blue;
    SeparatorStyle separator_ = SeparatorStyle::None;
};

}  // namespace nestora::ui
