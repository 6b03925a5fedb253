#include "frmCreateInvoice.h"

#include <belvora/clsXConverter.h>
#include <belvora/clsXRechnung.h>

#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>

namespace trivex {
namespace {

std::string temporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

QPushButton* button(const char* objectName, const QString& caption) {
  auto* b = new QPushButton(caption);
  b->setObjectName(QLatin1String(objectName));
  b->setMinimumHeight(b->sizeHint().height() * 3 / 2);
  return b;
}

}  // namespace

frmCreateInvoice::frmCreateInvoice(const std::string& programDir, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("frmCreateInvoice"));
  setWindowTitle(QStringLiteral("DLL-Setup"));
  settings_.exportFolder = temporaryFolder();
  settings_.connection = "Data Source=" + programDir + "/source/VorlageDB.sqlite";

  auto* btnParameter = button("btnParameter", QStringLiteral("&Parameter"));
  auto* btnShowAbout = button("btnShowAbout", QStringLiteral("&About DLL"));
  auto* btnSupport = button("btnSupport", QStringLiteral("&Support"));
  auto* btnGerman = button("btnXConverter_1", QStringLiteral("XML - Convert (&Deutsch)"));
  auto* btnEnglish = button("btnXConverter_0", QStringLiteral("XML - Convert (&Englisch)"));
  auto* btnXRechnung = button("btnXRechnung", QStringLiteral("&Create XInvoice"));
  connect(btnParameter, &QPushButton::clicked, this, &frmCreateInvoice::parameter);
  connect(btnShowAbout, &QPushButton::clicked, this, &frmCreateInvoice::about);
  connect(btnSupport, &QPushButton::clicked, this, &frmCreateInvoice::support);
  connect(btnGerman, &QPushButton::clicked, this, [this] { convert(true); });
  connect(btnEnglish, &QPushButton::clicked, this, [this] { convert(false); });
  connect(btnXRechnung, &QPushButton::clicked, this, &frmCreateInvoice::create);

  auto* library = new QGroupBox;
  auto* libraryLayout = new QHBoxLayout(library);
  libraryLayout->addWidget(btnParameter);
  libraryLayout->addWidget(btnShowAbout);
  libraryLayout->addWidget(btnSupport);
  auto* incoming = new QGroupBox;
  auto* incomingLayout = new QHBoxLayout(incoming);
  incomingLayout->addWidget(btnGerman);
  incomingLayout->addWidget(btnEnglish);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(library);
  layout->addWidget(incoming);
  layout->addWidget(btnXRechnung);
}

void frmCreateInvoice::parameter() {
  belvora::clsXRechnung x;
  // What the dialog stores does not change this window's settings.
  x.ShowParameter(settings_.connection, settings_.sourceQuery, settings_.exportFolder,
                  settings_.useParameter, settings_.embeddedFiles, settings_.documentsTable,
                  settings_.askBeforeStoring);
}

void frmCreateInvoice::about() {
  belvora::clsXRechnung x;
  x.ShowAbout();
}

void frmCreateInvoice::support() {
  belvora::clsXRechnung x;
  x.ShowSupport(kSupportAddress);
}

void frmCreateInvoice::convert(bool german) {
  const std::string language = german ? "DE" : "GB";
  const QString file = QFileDialog::getOpenFileName(
      this, QString::fromUtf8("Bitte eine Datei auswählen"), QString(),
      QStringLiteral("XRechnung (*.xml);;ZUGfERD (*.pdf);;Alle Dateien (*)"));
  // The folder is asked for even when no file was chosen.
  const QString folder = QFileDialog::getExistingDirectory(
      this, QString::fromUtf8("Bitte wählen Sie einen Ordner aus:"), QString(),
      QFileDialog::ShowDirsOnly);
  if (file.isEmpty()) return;
  belvora::clsXConverter converter;
  if (!converter.XConverter(file.toStdString(), folder.toStdString(), settings_.connection,
                            settings_.documentsTable, language, false))
    return;
  if (german)
    QMessageBox::information(
        this, QStringLiteral("Hinweis"),
        QStringLiteral(
            "Die Eingangsrechnung wurde eingelesen und ggf. in der Datenbank gespeichert!"));
  else
    QMessageBox::information(
        this, QStringLiteral("Note"),
        QStringLiteral(
            "The incoming invoice has been read in and, if necessary, stored in the database!"));
}

void frmCreateInvoice::create() {
  const QString folder = QFileDialog::getExistingDirectory(
      this, QStringLiteral("Bitte Ordner zur Speicherung auswählen"), QString(),
      QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return;
  settings_.exportFolder = QDir::cleanPath(folder).toStdString() + "/";

  const QString answer = QInputDialog::getText(this, QStringLiteral("Parameter"),
                                               QStringLiteral("Please insert Parameter"),
                                               QLineEdit::Normal, QStringLiteral("252068"))
                             .trimmed();
  if (answer.isEmpty()) {
    QMessageBox::information(this, QStringLiteral("Note"), QStringLiteral("Parameter is empty"));
    return;
  }
  const std::string selector = answer.toStdString();
  const std::string exportFile = settings_.exportFolder + selector + ".xml";

  belvora::clsXRechnung x;
  if (!x.DLL_Init_DB(exportFile, settings_.connection, settings_.sourceQuery, selector,
                     settings_.useParameter, settings_.embeddedFiles, settings_.documentsTable,
                     settings_.askBeforeStoring)) {
    QMessageBox::warning(this, QStringLiteral("Note"),
                         QStringLiteral("Connect to database not possible.\n"
                                        "Connection string incorrectly constructed?"));
    return;
  }
  if (!x.CreateXRechnung()) return;
  if (QMessageBox::question(this, QStringLiteral("Note"),
                            QStringLiteral("Validate XInvoice with ecosio?"),
                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
    x.Ecosio();
}

}  // namespace trivex
