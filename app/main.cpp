// quilbsl: the updater's window. Takes no arguments; whatever is passed is ignored.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <clocale>
#include <exception>

#include "app/window_icon.h"
#include "app/window_main.h"
#include "web/frm_web.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Numbers on the wire and in the settings file stay C-locale whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  QCoreApplication::setApplicationName("QuilBSL");
  QGuiApplication::setDesktopFileName("quilbsl");
  QApplication::setWindowIcon(QIcon(WindowIconPixmap(64)));
  try {
    TfrmMain frmMain;
    TfrmWeb frmWeb(&frmMain);
    frmMain.SetWebForm(&frmWeb);
    frmMain.show();
    app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "QuilBSL", QString::fromLocal8Bit(e.what()));
  }
  return 0;
}
