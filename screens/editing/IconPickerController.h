#pragma once

// The icon picker: a modal grid of every file found in the two icon folders
// (the app bundle's "icons", then the user's folder), four to a row. A tap
// on an icon reports its path to the delegate and closes the picker;
// "Cancel" closes it too. The picker changes nothing on disk.
//
// The list of found paths is the application's `icons` cache: later pickers
// show the same list without reading the folders again, until a memory
// warning drops it.

#include <QPointer>

#include <string>
#include <vector>

#include "model/ApplicationObject.h"
#include "ui/ProgressOverlay.h"
#include "ui/ViewController.h"

class QScrollArea;

namespace nestora::ui {
class NavigationBar;
}  // namespace nestora::ui

namespace nestora::screens {

class CategoryIcon;
class IconPickerController;

// What the picker tells its delegate. Both are required.
class IconPickerControllerDelegate {
public:
    virtual ~IconPickerControllerDelegate() = default;
    virtual void iconPickerControllerDidSelectIconAtPath(IconPickerController& picker, const std::string& iconPath) = 0;
    virtual void iconPickerControllerDidCancel(IconPickerController& picker) = 0;
};

class IconPickerController : public ui::ViewController {
    Q_OBJECT
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 420;
    static constexpr int kScrollHeight = 369;

    // initWithCategoryName: the name shown after "Icon For: ". The delegate
    // is held without ownership; it presents the picker and outlives it.
    IconPickerController(model::ApplicationObject& application, std::string categoryName,
                         IconPickerControllerDelegate* delegate);
    ~IconPickerController() override;

    const std::string& categoryName() const { return categoryName_; }
    const std::vector<std::string>& icons() const { return icons_; }
    IconPickerControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(IconPickerControllerDelegate* delegate) { delegate_ = delegate; }
    // The overlay while icons are found and laid out; null at other times.
    ui::ProgressOverlay* progressHud() const { return progressHud_; }

    ui::NavigationBar& navigationBar() const { return *navigationBar_; }
    QScrollArea& scrollView() const { return *scrollView_; }
    // The grid's buttons, in the order of `icons`.
    const std::vector<CategoryIcon*>& iconButtons() const { return buttons_; }

    // Each showing: overlay up, findIcons when there are no icons yet,
    // loadIcons, overlay down.
    void viewWillAppear() override;

    // Fills `icons` from the two folders and hands the list to the application.
    void findIcons();
    // Builds the grid from `icons`.
    void loadIcons();

    void iconTapped(CategoryIcon& icon);
    void cancelButtonTapped();
    // Escape is "Cancel".
    void escapePressed() override { cancelButtonTapped(); }

private:
    model::ApplicationObject& application_;
    std::string categoryName_;
    std::vector<std::string> icons_;
    IconPickerControllerDelegate* delegate_ = nullptr;
    QPointer<ui::ProgressOverlay> progressHud_;
    ui::NavigationBar* navigationBar_ = nullptr;
    QScrollArea* scrollView_ = nullptr;
    std::vector<CategoryIcon*> buttons_;
};

}  // namespace nestora::screens
