#include "dialogs/frmSupport.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "dialogs/SlotGuard.h"
#include "messages/Messages.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/qt/QtText.h"

#include "platform/mail/SupportMail.h"

namespace belvora::dialogs {

namespace msg = ::belvora::messages;
namespace text = ::belvora::messages::dialogs;

using ui::qt::fromQt;
using ui::qt::toQt;

frmSupport::frmSupport(const std::string& address, MailSender sender, QWidget* parent)
    : QDialog(parent), sender_(std::move(sender)) {
  setObjectName(QStringLiteral("frmSupport"));
  setWindowTitle(QLatin1String(text::kSupportTitle));

  name_ = new QLineEdit;
  name_->setObjectName(QStringLiteral("txtSupport_0"));
  attachment_ = new QLineEdit;
  attachment_->setObjectName(QStringLiteral("txtSupport_1"));
  message_ = new QPlainTextEdit;
  message_->setObjectName(QStringLiteral("txtSupport_2"));
  message_->setTabChangesFocus(true);
  address_ = new QLineEdit(toQt(address));
  address_->setObjectName(QStringLiteral("txtSupport_3"));

  auto* btnAdd = new QPushButton(toQt(text::kAdd));
  btnAdd->setObjectName(QStringLiteral("btnAdd"));
  btnAdd->setToolTip(toQt(text::kChooseFile));
  btnAdd->setFixedWidth(btnAdd->fontMetrics().horizontalAdvance(QStringLiteral(":::")) + 24);
  connect(btnAdd, &QPushButton::clicked, this,
          [this] { Guarded(text::kSupportTitle, [this] { add(); }); });
  auto* attachmentRow = new QHBoxLayout;
  attachmentRow->addWidget(attachment_, 1);
  attachmentRow->addWidget(btnAdd);

  auto* btnSend = new QPushButton(ui::qt::withMnemonic(text::kSend, 's'));
  btnSend->setObjectName(QStringLiteral("btnSend"));
  connect(btnSend, &QPushButton::clicked, this,
          [this] { Guarded(text::kSupportTitle, [this] { send(); }); });

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->addRow(toQt(text::kName), name_);
  form->addRow(toQt(text::kAttachment), attachmentRow);
  form->addRow(toQt(text::kMessage), message_);
  form->addRow(toQt(text::kSupportAddress), address_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnSend);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form, 1);
  layout->addLayout(buttons);

  const int width = fontMetrics().averageCharWidth() * 90;
  resize(width, width * 2 / 3);
  setTabOrder(name_, attachment_);
  setTabOrder(attachment_, btnAdd);
  setTabOrder(btnAdd, message_);
  setTabOrder(message_, address_);
  setTabOrder(address_, btnSend);
}

void frmSupport::add() {
  attachment_->setText(toQt(ui::current().chooseFile(text::kChooseFile, text::kFileFilter)));
}

void frmSupport::send() {
  if (name_->text().isEmpty() || message_->toPlainText().isEmpty()) {
    ui::current().message(msg::kTitleNote,
                          std::string(text::kNameAndMessage) + msg::kLineBreak + text::kThankYou,
                          ui::Icon::Question);
    return;
  }
  const std::string address = fromQt(address_->text());
  bool sent = false;
  {
    WaitCursor wait;
    sent = sender_(fromQt(message_->toPlainText()), fromQt(attachment_->text()), address);
  }
  ui::current().message(text::kSupportTitle,
                        std::string(sent ? text::kSent : text::kNotSent) + msg::kLineBreak +
                            text::kSupportTo + address,
                        sent ? ui::Icon::Information : ui::Icon::Exclamation);
}

bool SendSupportRequest(const std::string& message, const std::string& attachmentPath,
                        const std::string& recipient) {
  return mail::SendSupportMail(message, attachmentPath, recipient);
}

}  // namespace belvora::dialogs
