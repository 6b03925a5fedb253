#include "ModalDriver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>

namespace belvora::test {

ModalDriver& ModalDriver::then(Handler handler) {
  handlers_.push_back(std::move(handler));
  return *this;
}

ModalDriver& ModalDriver::answer(QMessageBox::StandardButton button) {
  return then<QMessageBox>([this, button](QMessageBox* box) {
    boxes.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
    QAbstractButton* b = box->button(button);
    if (!b) {
      ADD_FAILURE() << "no such button in \"" << box->text().toStdString() << "\"";
      box->reject();
      return;
    }
    b->click();
  });
}

ModalDriver& ModalDriver::choose(const std::string& path) {
  return then<QFileDialog>([this, path](QFileDialog* dialog) {
    dialogTitles.push_back(dialog->windowTitle().toStdString());
    if (path.empty()) {
      dialog->reject();
      return;
    }
    pick(dialog, path);
  });
}

void pick(QFileDialog* dialog, const std::string& path) {
  // As typed: selectFile() leaves the name field alone while it has the focus.
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!name) {
    ADD_FAILURE() << "the file dialog has no name field";
    dialog->reject();
    return;
  }
  name->setText(QString::fromStdString(path));
  static_cast<QDialog*>(dialog)->accept();
  if (dialog->isVisible()) {
    ADD_FAILURE() << "the file dialog did not take " << path;
    dialog->reject();
  }
}

ModalDriver& ModalDriver::type(const char* text) {
  return then<QInputDialog>([this, text](QInputDialog* dialog) {
    dialogTitles.push_back(dialog->windowTitle().toStdString());
    if (!text) {
      dialog->reject();
      return;
    }
    dialog->setTextValue(QString::fromUtf8(text));
    dialog->accept();
  });
}

void ModalDriver::failWrongWindow(QWidget* w, const char* expected) {
  ADD_FAILURE() << "expected a " << expected << ", got a " << w->metaObject()->className()
                << " titled \"" << w->windowTitle().toStdString() << "\"";
  if (auto* d = qobject_cast<QDialog*>(w))
    d->reject();
  else
    w->close();
}

void ModalDriver::poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal) return;
  for (const auto& seen : handled_)
    if (seen == modal) return;
  handled_.emplace_back(modal);
  QPointer<QWidget> target(modal);
  if (handlers_.empty()) {
    ADD_FAILURE() << "unexpected window " << modal->metaObject()->className() << " \""
                  << modal->windowTitle().toStdString() << "\"";
    QMetaObject::invokeMethod(
        modal,
        [target] {
          if (auto* d = qobject_cast<QDialog*>(target.data())) d->reject();
        },
        Qt::QueuedConnection);
    return;
  }
  Handler handler = std::move(handlers_.front());
  handlers_.pop_front();
  // Queued, so that the timer is free to see the windows the handler opens.
  QMetaObject::invokeMethod(
      modal,
      [target, handler] {
        if (target) handler(target.data());
      },
      Qt::QueuedConnection);
}

void ModalDriver::run(const std::function<void()>& action) {
  handled_.clear();
  QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
  timer_.start(5);
  action();
  timer_.stop();
  timer_.disconnect();
  EXPECT_TRUE(handlers_.empty()) << handlers_.size() << " expected window(s) did not open";
  handlers_.clear();
}

QString plain(QString caption) {
  caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  caption.remove(QLatin1Char('&'));
  caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return caption;
}

}  // namespace belvora::test
