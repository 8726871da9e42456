// The floor of waiting: a bare process that wakes once per read time-out and
// does nothing else, measured beside the program by scripts/bench.d/50-waiting.
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char *argv[])
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const int timeoutMs = argc > 2 ? std::atoi(argv[2]) : 50;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return 0;
}
