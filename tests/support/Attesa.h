#pragma once
// Waits on what a test observes, in place of a fixed sleep that hopes the other thread got there:
// the wait ends as soon as the condition holds, and a slow machine only makes it longer.
#include <chrono>
#include <fstream>
#include <string>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

// True once Condizione() holds; false when Limite passes first. Looks again every millisecond.
template <class F>
bool AttendiFinche(F&& Condizione, std::chrono::milliseconds Limite = std::chrono::seconds(10)) {
    const auto fine = std::chrono::steady_clock::now() + Limite;
    while (!Condizione()) {
        if (std::chrono::steady_clock::now() >= fine) return Condizione();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// True once thread Tid of this process sleeps in the kernel (on an event, a poll, a lock) or has
// ended: the way to know that a thread has reached a blocking wait that has nothing else to show.
inline bool AttendiThreadFermo(pid_t Tid, std::chrono::milliseconds Limite = std::chrono::seconds(10)) {
    const std::string stato = "/proc/self/task/" + std::to_string(Tid) + "/stat";
    return AttendiFinche(
        [&] {
            std::ifstream f(stato);
            if (!f) return true; // the thread has ended: it waits for nothing any more
            std::string riga;
            std::getline(f, riga);
            // "tid (name) S ...": the name may hold spaces and parentheses, the state follows the last ')'.
            const std::size_t p = riga.rfind(')');
            return p != std::string::npos && p + 2 < riga.size() &&
                   (riga[p + 2] == 'S' || riga[p + 2] == 'D');
        },
        Limite);
}

} // namespace testing_support
