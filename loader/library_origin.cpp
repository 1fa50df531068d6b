#include "library_origin.h"

#include <dlfcn.h>
#include <link.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tervo::origin {
namespace {

// The note every library of the project carries (cmake/origin_note.c.in).
constexpr const char kNoteOwner[] = "tervo";
constexpr ElfW(Word) kNoteOriginType = 1;

std::size_t padded(std::size_t size, std::size_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

// The origin note's text in one PT_NOTE segment, or empty.
std::string originInSegment(const char* notes, std::size_t size, std::size_t alignment) {
    std::size_t at = 0;
    while (size - at >= sizeof(ElfW(Nhdr))) {
        ElfW(Nhdr) header;
        std::memcpy(&header, notes + at, sizeof header);
        const std::size_t name = at + sizeof header;
        const std::size_t description = name + padded(header.n_namesz, alignment);
        const std::size_t next = description + padded(header.n_descsz, alignment);
        if (next > size || next <= at) break;
        if (header.n_type == kNoteOriginType && header.n_namesz == sizeof kNoteOwner &&
            std::memcmp(notes + name, kNoteOwner, sizeof kNoteOwner) == 0)
            return std::string(notes + description, strnlen(notes + description, header.n_descsz));
        at = next;
    }
    return {};
}

struct Search {
    const link_map* map;
    std::string found;
};

// dl_iterate_phdr callback: reads the note of the object whose link map is
// searched for, from its program headers as they are mapped.
int readOrigin(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    if (info->dlpi_addr != search->map->l_addr || info->dlpi_name == nullptr ||
        std::strcmp(info->dlpi_name, search->map->l_name) != 0)
        return 0;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum && search->found.empty(); ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_NOTE) continue;
        // The loader gives the object's base as a number.
        const auto* notes = reinterpret_cast<const char*>(  // NOLINT(performance-no-int-to-ptr)
            info->dlpi_addr + segment.p_vaddr);
        search->found = originInSegment(notes, segment.p_memsz, segment.p_align == 8 ? 8 : 4);
    }
    return 1;
}

LibraryFile fileOfMap(const link_map* map) {
    LibraryFile file;
    if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0') return file;
    char resolved[PATH_MAX];
    file.path = realpath(map->l_name, resolved) != nullptr ? resolved : map->l_name;
    Search search{map, {}};
    dl_iterate_phdr(readOrigin, &search);
    file.standIn = search.found;
    return file;
}

}  // namespace

LibraryFile fileOfHandle(void* handle) {
    link_map* map = nullptr;
    if (handle == nullptr || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return {};
    return fileOfMap(map);
}

LibraryFile fileDefining(const char* symbol) {
    void* address = dlsym(RTLD_DEFAULT, symbol);
    Dl_info info;
    link_map* map = nullptr;
    if (address == nullptr || dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
        return {};
    return fileOfMap(map);
}

std::string originText(const LibraryFile& file) {
    return file.standIn.empty() ? "not a tervo stand-in" : "tervo stand-in: " + file.standIn;
}

std::string describe(const LibraryFile& file) {
    if (file.path.empty()) return "a file the dynamic loader does not name";
    return file.path + " (" + originText(file) + ")";
}

void announce(const char* name, const LibraryFile& file) {
    std::fprintf(stderr, "%s: %s\n", name, describe(file).c_str());
}

}  // namespace tervo::origin
