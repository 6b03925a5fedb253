// Trivex: drives every public operation of the library against the
// template database in source/ beside the program.
#include <QApplication>

#include "frmCreateInvoice.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  trivex::frmCreateInvoice window(QCoreApplication::applicationDirPath().toStdString());
  window.show();
  return app.exec();
}
