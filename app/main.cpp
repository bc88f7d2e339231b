#include "app/shell/startup.h"

int main(int argc, char** argv) {
  return vandro::RunVandro(argc, argv);
}
