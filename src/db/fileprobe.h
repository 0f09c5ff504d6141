#pragma once

#include <QString>

// libmdb and FreeXL trust the files they read: some damaged files make them read past a
// buffer, dereference a null map, or allocate without end until GLib aborts. Before a
// source is opened in this process, the quillo-probe program (installed beside it) opens
// and reads the whole file in a child process under a memory and a time limit.
namespace FileProbe {

enum class Reader { Access, Excel };

// Returns when the probe read the file through. Throws the reader's own error when it
// refused the file cleanly (its number, description and source, or sourceName where the
// reader gives none), so that the file is never parsed in process on a path the reader
// fails on. Throws QuilloError kOpenFailed naming the file, with sourceName as source,
// when the probe crashed, aborted, ran out of memory or time. A verdict holds for the
// process's life while the file keeps its size and time, for that reader.
void requireSafe(Reader reader, const QString &path, const QString &sourceName);

} // namespace FileProbe
