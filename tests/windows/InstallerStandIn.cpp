// Stands in for quorvel.exe and quorvel-render.exe in an installer built only for the
// installer's tests, while the programs themselves are not built for Windows.
#include <cstdio>

int main()
{
    std::puts("installer stand-in");
    return 0;
}
