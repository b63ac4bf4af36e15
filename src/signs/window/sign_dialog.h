#pragma once

#include "signs/sign_list.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class SignDialog;
}

namespace lumivo::signs {

// The fields of one sign, for adding or editing it: name, port (COM1..COM8 to choose, or a device
// path or tcp://host:port typed), ID 01..FF, colours 1 or 3, width, groups comma separated.
// OK keeps the dialog open with the problem shown while the sign is not one the list can hold.
class SignDialog final : public QDialog {
    Q_OBJECT
public:
    // A further check beyond the sign's own (a name or line and ID another sign has): its
    // problem, or nothing.
    using ListCheck = std::function<std::optional<SignListProblem>(const Sign& sign)>;

    explicit SignDialog(QWidget* parent = nullptr);
    ~SignDialog() override;

    void setSign(const Sign& sign);
    // The sign as the fields hold it.
    Sign sign() const;
    void setListCheck(ListCheck check) { m_listCheck = std::move(check); }
    QString problem() const;

    void accept() override;

private:
    std::unique_ptr<Ui::SignDialog> m_ui;
    ListCheck m_listCheck;
};

} // namespace lumivo::signs
