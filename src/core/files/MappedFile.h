#pragma once
// A regular file read through a memory map of it: its bytes are the file
// cache's own pages, with no copy and no fresh memory per read.
//
// A file that another program makes shorter while it is mapped would end
// the program: reading a page past the new end raises SIGBUS. A handler of
// that signal (installed with the first map, passing every other SIGBUS on
// to the handler before it) puts zero pages in place of the rest of the
// mapping and marks it as cut; the reader goes on over the zeros and then
// asks cut(), and treats the file as one that ended early.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

class MappedFile
{
public:
    // Maps the first size bytes of fd (opened for reading, a regular file)
    // and reads them ahead; mapped() is false when the system refuses (an
    // empty file, a file system without maps, no room in the table of maps
    // the handler watches): the caller then reads the file.
    MappedFile(int fd, std::int64_t size);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    bool mapped() const { return m_data != nullptr; }
    // The bytes, without a copy; valid while this object lives.
    QByteArray bytes() const;
    // Whether the file became shorter than it was when mapped while it was read.
    bool cut() const;

    // The most maps at once (a picture per core is being read).
    static constexpr int MaxMaps = 64;

private:
    const char *m_data = nullptr;
    std::size_t m_length = 0;
    int m_slot = -1;
};
