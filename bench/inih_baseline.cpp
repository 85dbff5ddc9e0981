// A baseline for the loader: the C INI parser inih reads the file and every
// key goes into a hash map (section and name folded to lower case), as a
// program that only needs the values would do it.
//
//   inih_baseline FILE

#include <ini.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

namespace {

struct Map
{
    std::unordered_map<std::string, std::string> values;
    std::string key; // reused, so that a key that is there already costs no allocation
};

void appendLower(std::string &out, const char *s)
{
    for (; *s; ++s)
        out += (*s >= 'A' && *s <= 'Z') ? char(*s + ('a' - 'A')) : *s;
}

int handler(void *user, const char *section, const char *name, const char *value)
{
    auto &map = *static_cast<Map *>(user);
    map.key.clear();
    appendLower(map.key, section);
    map.key += '\0';
    appendLower(map.key, name);
    map.values.try_emplace(map.key, value); // the first of two equal names wins
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    // Room for a key per 32 bytes of the file, so that the map does not
    // grow while it is filled; nothing is freed at the end, as a C program
    // that exits would not free it either.
    static Map map;
    if (FILE *f = std::fopen(argv[1], "rb")) {
        std::fseek(f, 0, SEEK_END);
        map.values.reserve(size_t(std::max(0L, std::ftell(f))) / 32);
        std::fclose(f);
    }
    if (ini_parse(argv[1], handler, &map) < 0)
        return 1;
    std::printf("%zu\n", map.values.size());
    std::fflush(stdout);
    std::_Exit(0);
}
