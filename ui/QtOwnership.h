#pragma once

// Qt widgets are owned by their parent widget. makeChild builds one and
// hands it straight to its parent, so ownership is explicit at the call and
// nothing is ever allocated without an owner.

#include <QObject>

#include <memory>
#include <utility>

namespace nestora::ui {

template <typename T, typename Parent, typename... Args>
T* makeChild(Parent* parent, Args&&... args) {
    auto child = std::make_unique<T>(std::forward<Args>(args)...);
    child->setParent(parent);
    return child.release();
}

// Hands an object that is already built to a parent; returns it for use.
template <typename T, typename Parent>
T* adoptChild(std::unique_ptr<T> child, Parent* parent) {
    child->setParent(parent);
    return child.release();
}

}  // namespace nestora::ui
