// Dereferences a null pointer: under the test runner this must end the
// process with a failure, not start a debugger.
#include <cstdio>
int main() {
    std::puts("crashing on purpose");
    std::fflush(stdout);
    volatile int* p = nullptr;
    *p = 1;
    return 0;
}
