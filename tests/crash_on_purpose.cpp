// Crashes on purpose in the way its argument names: under the test runner
// each must end the process at once with the exception's code, never start
// a debugger.
//   crash_on_purpose [access|illegal]
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const char* how = argc > 1 ? argv[1] : "access";
    std::printf("crashing on purpose (%s)\n", how);
    std::fflush(stdout);
    if (std::strcmp(how, "illegal") == 0) {
        __asm__ volatile("ud2");
    } else {
        volatile int* p = nullptr;
        *p = 1;
    }
    return 0;
}
