#include "app/Startup.h"

int main(int argc, char *argv[])
{
    return runQuoran(argc, argv);
}
