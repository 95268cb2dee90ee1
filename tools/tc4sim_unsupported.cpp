// Other systems than Linux get a simulator that says it cannot run there, so scripts fail
// clearly.

#include <cstdio>

int main()
{
    std::fputs("tc4-sim: runs on Linux only (it needs its pseudo-terminals)\n", stderr);
    return 1;
}
