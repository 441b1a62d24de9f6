#include "app/startup.h"

int main(int argc, char *argv[])
{
    return orv::app::runProgram(argc, argv);
}
