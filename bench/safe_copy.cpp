// A baseline for the writer: reads a file whole and writes it to OUT the safe
// way (a temporary file beside OUT, checked writes, fsync, rename), without
// any parsing.
//
//   safe_copy IN OUT

#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    const int in = open(argv[1], O_RDONLY);
    if (in < 0)
        return 1;
    struct stat st;
    if (fstat(in, &st) != 0)
        return 1;
    std::vector<char> bytes(size_t(st.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(in, bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            return 1;
        got += size_t(n);
    }
    close(in);
    const std::string temp = std::string(argv[2]) + ".tmp";
    const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0)
        return 1;
    size_t put = 0;
    while (put < bytes.size()) {
        const ssize_t n = write(out, bytes.data() + put, bytes.size() - put);
        if (n <= 0)
            return 1;
        put += size_t(n);
    }
    if (fsync(out) != 0 || close(out) != 0 || rename(temp.c_str(), argv[2]) != 0)
        return 1;
    return 0;
}
