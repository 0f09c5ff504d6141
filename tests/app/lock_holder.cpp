// Takes the one-instance lock given as argument, says "HELD" or "REFUSED", and keeps the
// lock until its standard input closes (or it is killed).
#include "app/singleinstance.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    const bool held = instance.acquire();
    std::puts(held ? "HELD" : "REFUSED");
    std::fflush(stdout);
    if (!held)
        return 1;
    while (std::getchar() != EOF) {
    }
    return 0;
}
