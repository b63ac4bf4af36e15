#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <utility>

namespace lumivo::ui {

// Builds a window's form (the class a .ui file makes) on the window and hands it over, so a
// window can hold its form in a member that members after it already find set up.
template <typename Form, typename Window> std::unique_ptr<Form> SetUpForm(Window& window) {
    auto form = std::make_unique<Form>();
    form->setupUi(&window);
    return form;
}

// A window's form built the first time something reaches for one of its controls, rather than
// with the window: a window made at start and kept hidden then costs no widgets until it is
// first shown or called into. `wire` runs once, right after the form is set up on the window,
// for what the window does with its controls (lists, connections, the first panel). The window
// calls `make()` before it shows, so a shown window always has its controls.
// `Window` is the class the form's setupUi() takes (QDialog for a dialog's form).
template <typename Form, typename Window = QWidget> class FormOnFirstUse {
public:
    FormOnFirstUse(Window& window, std::function<void(Form&)> wire)
        : m_window(window), m_wire(std::move(wire)) {}

    bool isMade() const { return m_form != nullptr; }

    // The form, set up and wired now if it was not yet. Logically const: it only brings into
    // being what the window already has.
    Form& make() const {
        if (m_form == nullptr) {
            m_form = SetUpForm<Form>(m_window);
            m_wire(*m_form);
        }
        return *m_form;
    }

    Form* operator->() const { return &make(); }
    Form& operator*() const { return make(); }

private:
    Window& m_window;
    std::function<void(Form&)> m_wire;
    mutable std::unique_ptr<Form> m_form;
};

} // namespace lumivo::ui
