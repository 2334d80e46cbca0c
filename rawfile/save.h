// Saving: the user's point name and height text turned into a new header block and a new file
// name, checked completely before anything on disk changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "header_block.h"

namespace rawfile {

// Why a save was refused before anything was written.
enum class SaveRefusal : unsigned char {
    kNone,
    kBadPointName,      // a new point name with a character a Windows file name cannot hold
    kReservedName,      // a new file name that Windows takes for a device (NUL.RVX)
    kHeightNotNumber,   // the height text is not a decimal number
    kHeightOutOfRange,  // not finite, or its millimetres do not fit 32 bits
    kHeaderTooLong,     // the composed text does not fit the block, or the millimetre field
                        // laid over it would break the height line
    kDateTooLong,       // the date with its CR LF would be too long to load again
    kTargetExists,      // another file already holds the new name
    kFileChanged,       // the file on disk is no longer the one loaded: another file, or
                        // other first 160 bytes
};

// A height text brought to three decimals.
struct NormalisedHeight {
    float metres = 0;  // the three-decimal value, single precision
    std::string text;  // "%.3f" of the height: written after "AntHigh:" and shown
    std::int32_t millimetres = 0;
};

// Reads a height text typed by the user and brings it to three decimals.
SaveRefusal NormaliseHeight(const std::u16string& heightText, NormalisedHeight* height);

// True when `height` was most likely written in millimetres where metres belong: 100 m or more
// (either sign) by default; with `maxMetres`, more than that many metres.
bool LooksLikeMillimetres(const NormalisedHeight& height,
                          std::optional<double> maxMetres = std::nullopt);

// The height a millimetre value written as metres stands for: a thousandth of it, "%.3f".
std::string MetresFromMillimetres(const NormalisedHeight& height);

// The millimetre value of a height in metres, rounded half away from zero. False when it is not
// finite or does not fit a signed 32-bit integer.
bool HeightToMillimetres(float metres, std::int32_t* millimetres);

// The raw file as the last load (or save) left it.
struct LoadedFile {
    std::u16string path;
    std::u16string folder;     // up to and including the last separator
    std::u16string pointName;  // the leading part of the file name
    std::u16string tail;       // the kept tail of the file name
    HeaderValues values;
};

// Everything a save will do, computed without touching the disk.
struct SavePlan {
    std::u16string pointName;  // a new one cut to at most 8 units; the file's own as it is
    NormalisedHeight height;
    HeaderBlock block{};
    std::u16string newPath;  // the file's own path when the point name is its own
    bool renames = false;    // newPath differs from the file's path
};

// Checks the user's point name and height text and composes the block and the new path, without
// looking at the disk. The file's own point name keeps the file's name exactly as it is; only a
// new one is cut to 8 units and must suit Windows.
SaveRefusal PlanSave(const LoadedFile& file, const std::u16string& pointName,
                     const std::u16string& heightText, SavePlan* plan);

}  // namespace rawfile
