#pragma once

#include <memory>

namespace lumivo::ui {

// Builds a window's form (the class a .ui file makes) on the window and hands it over, so a
// window can hold its form in a member that members after it already find set up.
template <typename Form, typename Window> std::unique_ptr<Form> SetUpForm(Window& window) {
    auto form = std::make_unique<Form>();
    form->setupUi(&window);
    return form;
}

} // namespace lumivo::ui
