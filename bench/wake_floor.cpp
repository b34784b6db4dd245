// The floor of any idle figure on the machine that runs the benchmark: a
// program that does nothing but wake every 60 ms (one poll with a timeout,
// as an event loop waiting for its next timer does). No program whose window
// refreshes on a 60 ms timer can idle for less than this.
#include <poll.h>

int main() {
    for (;;) poll(nullptr, 0, 60);
}
