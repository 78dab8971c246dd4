#include "headless.h"

int main(int argc, char **argv)
{
    return hl_main(argc, argv, stdout, stderr);
}
