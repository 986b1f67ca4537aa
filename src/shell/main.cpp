// The skarvel GUI.
#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Skarvel");
  return 0;
}
