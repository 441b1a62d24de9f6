#include "app/startup.h"
#include "dialogs/frmabout.h"

int main(int argc, char *argv[])
{
    orv::app::setSplashRoutine(&orv::dialogs::showSplashScreen);
    return orv::app::runProgram(argc, argv);
}
