// A baseline for the loader: the C INI parser inih reads the file and every
// key goes into a hash map (section and name folded to lower case), as a
// program that only needs the values would do it.
//
//   inih_baseline FILE

#include <ini.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <unordered_map>

namespace {

std::string lower(const char *s)
{
    std::string out(s);
    for (char &c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

int handler(void *user, const char *section, const char *name, const char *value)
{
    auto &map = *static_cast<std::unordered_map<std::string, std::string> *>(user);
    std::string key = lower(section);
    key += '\0';
    key += lower(name);
    map.emplace(std::move(key), value); // the first of two equal names wins
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    std::unordered_map<std::string, std::string> map;
    if (ini_parse(argv[1], handler, &map) < 0)
        return 1;
    std::printf("%zu\n", map.size());
    return 0;
}
