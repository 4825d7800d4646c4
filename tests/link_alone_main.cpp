// The whole program of a link check: it does nothing. What matters is that the program links
// with every object of one toolkit-free piece taken in, and that it needs no toolkit to start.
int main() {
    return 0;
}
