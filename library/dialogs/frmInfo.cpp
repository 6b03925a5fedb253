#include "dialogs/frmInfo.h"

#include <belvora_version.h>

#include <QBoxLayout>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QUrl>

#include "messages/Messages.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/qt/QtText.h"

// The logo is compiled into the library as a Qt resource; a static library
// has to register it itself.
static void initLogoResource() { Q_INIT_RESOURCE(belvora_dialogs); }

namespace belvora::dialogs {

namespace msg = ::belvora::messages;
namespace text = ::belvora::messages::dialogs;

frmInfo::frmInfo(QWidget* parent, Opener open) : QDialog(parent), open_(std::move(open)) {
  initLogoResource();
  if (!open_)
    open_ = [](const QString& address) { return QDesktopServices::openUrl(QUrl(address)); };
  setObjectName(QStringLiteral("frmInfo"));
  setWindowTitle(QLatin1String(text::kAboutTitle));

  auto* image = new QLabel;
  image->setObjectName(QStringLiteral("Image1"));
  image->setPixmap(QPixmap(QStringLiteral(":/belvora/logo.png")));
  image->setAlignment(Qt::AlignCenter);

  auto* product = new QLabel(
      QStringLiteral("<b>%1</b> %2")
          .arg(QLatin1String(version::productName), QLatin1String(version::versionText)));
  product->setObjectName(QStringLiteral("lblProduct"));
  product->setAlignment(Qt::AlignCenter);

  const QString address = QLatin1String(version::webAddress);
  auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                              .arg(address.toHtmlEscaped(), QLatin1String(text::kVisit)));
  link->setObjectName(QStringLiteral("lblVisit"));
  link->setToolTip(address);
  link->setAlignment(Qt::AlignCenter);
  link->setCursor(Qt::PointingHandCursor);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(link, &QLabel::linkActivated, this, [this] { visit(); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(image);
  layout->addWidget(product);
  layout->addWidget(link);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmInfo::visit() {
  const QString address = QLatin1String(version::webAddress);
  if (!open_(address))
    ui::current().message(text::kAboutTitle,
                          std::string(text::kCannotOpenAddress) + version::webAddress,
                          ui::Icon::Exclamation);
}

void ShowAboutBox(QWidget* parent) {
  frmInfo box(parent);
  box.raise();
  box.exec();
}

}  // namespace belvora::dialogs
