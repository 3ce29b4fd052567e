// The Brannoc-512 fixture library editor.

#include <QApplication>

#include "shell/program.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  brannoc::Program program;
  return QApplication::exec();
}
