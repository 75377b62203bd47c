// Loads a ".reclist" file the way the program opens a list, and prints how many calls it holds and
// how long the load took; bench/search-cold.sh times it with a cold and a warm page cache.
#include "lists/QorTolvaneDoc.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-load-list LIST.reclist\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    qor::CQorTolvaneDoc list;
    const bool loaded = list.Load(argv[1], "");
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%d calls in %.3f s\n", list.GetCount(), elapsed.count());
    return loaded ? 0 : 1;
}
