// brinehold-gui [FILE]: the desktop application. With FILE it starts a
// Standard scan of that file at once.
#include "ui/application.h"

int main(int argc, char** argv) { return brinehold::ui::RunDesktopApplication(argc, argv); }
