#pragma once

// The parameter dialog: the values of the creation session that the
// settings store records. OK writes the fields back into the setting
// values and saves the query-parameter flag; the close box keeps them as
// they were taken over.

#include <QDialog>
#include <array>

#include "platform/settings/SettingsStore.h"

class QCheckBox;
class QLineEdit;

namespace belvora::dialogs {

class frmParameter : public QDialog {
 public:
  // Fills the fields and check boxes from `values`.
  explicit frmParameter(settings::SettingValues& values, QWidget* parent = nullptr);

  // btnOK: takes the fields over, saves the query-parameter flag, closes.
  void ok();

 private:
  settings::SettingValues& values_;
  std::array<QLineEdit*, 5> fields_{};
  QCheckBox* chkParam_ = nullptr;
  QCheckBox* chkQuestion_ = nullptr;
};

}  // namespace belvora::dialogs
