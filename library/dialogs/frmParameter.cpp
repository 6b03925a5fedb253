#include "dialogs/frmParameter.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

#include "messages/Messages.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/qt/QtText.h"

namespace belvora::dialogs {

namespace msg = ::belvora::messages;
namespace text = ::belvora::messages::dialogs;

using ui::qt::fromQt;
using ui::qt::toQt;

frmParameter::frmParameter(settings::SettingValues& values, QWidget* parent)
    : QDialog(parent), values_(values) {
  setObjectName(QStringLiteral("frmParameter"));
  setWindowTitle(QLatin1String(text::kParameterTitle));

  const char* captions[] = {text::kConnection, text::kDataObject, text::kExportPath,
                            text::kEmbeddedFile, text::kTableName};
  const std::string* texts[] = {&values.connection, &values.dataObject, &values.exportPath,
                                &values.embeddedFile, &values.tableName};
  // Labels above their fields: the data object's caption is long.
  auto* form = new QVBoxLayout;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    auto* field = new QLineEdit(toQt(*texts[i]));
    field->setObjectName(QStringLiteral("txtParameter_%1").arg(i + 1));
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 70);
    field->setCursorPosition(0);
    auto* label = new QLabel(toQt(captions[i]));
    label->setBuddy(field);
    form->addWidget(label);
    form->addWidget(field);
    if (i + 1 < fields_.size()) form->addSpacing(4);
    fields_[i] = field;
  }

  chkParam_ = new QCheckBox(ui::qt::withMnemonic(text::kQueryParameters, 'q'));
  chkParam_->setObjectName(QStringLiteral("chkParam"));
  chkParam_->setChecked(values.queryParameter == settings::FlagText(true));
  chkQuestion_ = new QCheckBox(ui::qt::withMnemonic(text::kImportQuestion, 'i'));
  chkQuestion_->setObjectName(QStringLiteral("chkQuestion"));
  chkQuestion_->setChecked(values.importQuestion);

  auto* btnOK = new QPushButton(ui::qt::withMnemonic(text::kOK, 'o'));
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, &frmParameter::ok);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(chkParam_);
  bottom->addWidget(chkQuestion_);
  bottom->addStretch();
  bottom->addWidget(btnOK);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addSpacing(8);
  layout->addLayout(bottom);
}

void frmParameter::ok() {
  values_.queryParameter = settings::FlagText(chkParam_->isChecked());
  values_.connection = fromQt(fields_[0]->text());
  values_.dataObject = fromQt(fields_[1]->text());
  values_.exportPath = fromQt(fields_[2]->text());
  values_.embeddedFile = fromQt(fields_[3]->text());
  values_.tableName = fromQt(fields_[4]->text());
  values_.importQuestion = chkQuestion_->isChecked();
  try {
    settings::SaveQueryParameterFlag(values_);
  } catch (const std::exception& e) {
    ui::current().message(msg::kTitleNote, std::string(text::kSettingsNotSaved) + e.what(),
                          ui::Icon::Exclamation);
  }
  accept();
}

}  // namespace belvora::dialogs
