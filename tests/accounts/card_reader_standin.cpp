// Stands in for the card-reader program in the tests: notes each start in the file named by
// CARD_READER_STANDIN_LOG, then waits until it is ended. It types nothing; the tests type the
// card number into the dialog themselves.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main()
{
    if (const char *log = std::getenv("CARD_READER_STANDIN_LOG")) {
        if (FILE *file = std::fopen(log, "a")) {
            std::fprintf(file, "started %d\n", int(getpid()));
            std::fclose(file);
        }
    }
    for (;;)
        pause();
}
