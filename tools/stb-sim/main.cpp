// stb-sim: plays the receiver's side of the serial protocol (placeholder until it lands).
#include <cstdio>

int main() {
    std::fputs("stb-sim: not built yet\n", stderr);
    return 1;
}
