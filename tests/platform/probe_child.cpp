// A child program for the process tests: probe_child OUTFILE EXITCODE [ARGS...]
// writes each of ARGS in brackets, one per line, into OUTFILE and ends with
// EXITCODE ("crash" aborts instead). With the argument "--stdin" it also
// reports whether standard input has data. (A hidden child's standard input
// is a null handle, which Wine, unlike Windows, blocks on: only redirected
// runs ask.)
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    if (std::FILE* out = std::fopen(argv[1], "wb")) {
        for (int i = 3; i < argc; ++i) {
            if (std::strcmp(argv[i], "--stdin") == 0)
                std::fprintf(out, "stdin:%s\n", std::fgetc(stdin) == EOF ? "none" : "data");
            else
                std::fprintf(out, "[%s]\n", argv[i]);
        }
        std::fclose(out);
    }
    if (std::strcmp(argv[2], "crash") == 0) std::abort();
    return std::atoi(argv[2]);
}
