#include "qt/StartWindows.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

#include "Usage.h"

namespace start::qt {
namespace {

constexpr const char* kInitialLabel = "Ihre XRechnung wird erzeugt.";

QString toQt(const std::string& text) { return QString::fromStdString(text); }

struct Windows {
  // Qt keeps argc by reference; the launcher's own arguments stay its own.
  int argc = 1;
  char name[6] = "Start";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  std::unique_ptr<frmStart> main;
};

std::unique_ptr<Windows>& windows() {
  static std::unique_ptr<Windows> instance;
  return instance;
}

}  // namespace

frmStart::frmStart() {
  setObjectName(QStringLiteral("frmStart"));
  setWindowTitle(QStringLiteral("Start"));
  label_ = new QLabel(QString::fromUtf8(kInitialLabel));
  label_->setObjectName(QStringLiteral("lblStatus"));
  label_->setMinimumWidth(label_->fontMetrics().averageCharWidth() * 45);
  close_ = new QPushButton(QStringLiteral("&Close"));
  close_->setObjectName(QStringLiteral("btnClose"));
  close_->setVisible(false);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addLayout(buttons);
}

void frmStart::setLabel(const QString& text) { label_->setText(text); }

void frmStart::showCloseButton() {
  close_->setVisible(true);
  close_->setDefault(true);
  close_->setFocus();
}

frmUsage::frmUsage() {
  setObjectName(QStringLiteral("frmUsage"));
  setWindowTitle(QStringLiteral("Hinweis"));
  auto* lbl = new QLabel(toQt(UsageDescription("\n")));
  lbl->setObjectName(QStringLiteral("lbl"));
  lbl->setTextInteractionFlags(Qt::TextSelectableByMouse);

  options_ = new QButtonGroup(this);
  auto* optionRow = new QHBoxLayout;
  const auto& examples = UsageExamples();
  for (std::size_t i = 0; i < examples.size(); ++i) {
    auto* option = new QRadioButton(toQt(examples[i].caption));
    option->setObjectName(QStringLiteral("opt_%1").arg(i));
    options_->addButton(option, static_cast<int>(i));
    optionRow->addWidget(option);
  }
  optionRow->addStretch();
  connect(options_, &QButtonGroup::idClicked, this, &frmUsage::select);

  text_ = new QPlainTextEdit;
  text_->setObjectName(QStringLiteral("txtText"));
  text_->setReadOnly(true);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setMinimumHeight(text_->fontMetrics().lineSpacing() * 10);

  auto* btnClose = new QPushButton(QString::fromUtf8("&Schließen"));
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClose);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbl);
  layout->addLayout(optionRow);
  layout->addWidget(text_, 1);
  layout->addLayout(buttons);
  select(0);
  // The examples are long single lines: wide enough for the longest.
  int widest = 0;
  for (const auto& example : examples)
    for (const auto& line : example.lines)
      widest = std::max(widest, text_->fontMetrics().horizontalAdvance(toQt(line) + "|"));
  resize(std::max(sizeHint().width(), widest + 60), sizeHint().height());
}

void frmUsage::select(int index) {
  const auto& examples = UsageExamples();
  if (index < 0 || static_cast<std::size_t>(index) >= examples.size()) return;
  if (QAbstractButton* option = options_->button(index)) option->setChecked(true);
  text_->setPlainText(toQt(UsageExampleText(examples[static_cast<std::size_t>(index)], "\n")));
}

void CreateApplication() {
  auto w = std::make_unique<Windows>();
  w->app = std::make_unique<QApplication>(w->argc, w->argv);
  w->main = std::make_unique<frmStart>();
  windows() = std::move(w);
}

void DestroyApplication() {
  if (auto& w = windows()) {
    w->main.reset();
    w->app.reset();
    w.reset();
  }
}

bool HasApplication() { return windows() != nullptr; }

void ShowUsageWindow() {
  frmUsage usage;
  usage.exec();
}

void SetLabel(const std::string& text) {
  if (auto& w = windows()) w->main->setLabel(toQt(text));
}

void ShowMessage(const std::string& title, const std::string& text, bool critical) {
  QMessageBox box(critical ? QMessageBox::Critical : QMessageBox::Information, toQt(title),
                  toQt(text), QMessageBox::Ok);
  box.exec();
}

void ShowMainWindow() {
  if (auto& w = windows()) {
    w->main->showCloseButton();
    w->main->exec();
  }
}

}  // namespace start::qt
