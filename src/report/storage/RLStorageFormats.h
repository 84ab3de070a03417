#pragma once
// The file formats of a page storage: the current version 3 (a macro list, a
// page table and the pages' own bytes) and the two older versions, which are
// read and written too. Every count and position read is checked against the
// bytes the stream holds, so a damaged or hostile file gives an error instead
// of a huge allocation.

namespace prenso {

class TStream;
class TRLGraphicStorage;

// Reads a whole storage after the stream's position into `storage` (which
// the caller has cleared) and returns the version found. Raises EReadError
// for a header of no known version or damaged contents.
int LoadStorageFromStream(TRLGraphicStorage &storage, TStream &stream);
// Writes every page of `storage` in format `version` (1 to 3).
void SaveStorageToStream(TRLGraphicStorage &storage, TStream &stream, int version);

} // namespace prenso
