#pragma once

#include <cstdint>

#include "plugin/ProgramRecord.h"

class Doxaro;
class UserMessages;

// Preset files (.sxp: one program record, 476 bytes) and bank files (.sxb:
// the bank image, 11432 bytes), as the editor's file menu saves and loads
// them. The files carry names, parameter values and the two editor flags; the
// impulse-response path is not part of them (its area is written as zeros and
// ignored on reading).
//
// A file that fails the checks (wrong magic, a newer version, or shorter than
// its record or image; PresetFileFormat reads the bytes) is reported through
// UserMessages and changes nothing.
// A file that cannot be opened changes nothing and reports nothing.
//
// Threads: the editor's thread. The plug-in's own entry points take the
// writers' turn; nothing here runs on the audio thread.
class PresetFiles {
public:
    enum class Result {
        Done,      // the file was written or applied
        NotOpened, // the file could not be opened (or written): nothing changed, nothing shown
        Rejected,  // a message was shown: nothing changed
    };

    static constexpr const char* kPresetBroken = "Error! Cannot load the preset, the file is either incompatible or broken.";
    static constexpr const char* kBankBroken = "Error! Cannot load the preset bank, the file is either incompatible or broken.";
    static constexpr const char* kPresetNewer =
        "This preset is saved using the newer version of Orvandel Selvarine. \nPlease visit https://www.doxaro.com to get the updated version of Orvandel Selvarine.";
    static constexpr const char* kBankNewer =
        "This preset bank is saved using the newer version of Orvandel Selvarine. \nPlease visit https://www.doxaro.com to get the updated version of Orvandel Selvarine.";

    static constexpr int kPresetSize = int(sizeof(ProgramRecord)); // bytes of a preset file
    static constexpr int kBankSize = int(sizeof(BankImage));       // bytes of a bank file

    PresetFiles(Doxaro& plugin, UserMessages& messages) : plugin_(plugin), messages_(messages) {}

    // Writes the current program and renames it after the file: the last
    // path component without its extension, cut to 24 characters.
    Result savePreset(const char* path);
    // Applies a preset to the current program: its name, its 44 values (sent
    // to the host as automation) and its flags. The program keeps its
    // impulse-response path.
    Result loadPreset(const char* path);
    // Writes all 24 programs. No name changes.
    Result saveBank(const char* path);
    // Replaces names, values and flags of all 24 programs (their paths stay)
    // and re-applies the current program, sending its 44 values to the host.
    Result loadBank(const char* path);

    // The program name a preset saved at `path` gets (terminated, at most 24 characters).
    static void nameFromPath(const char* path, char (&name)[ProgramRecord::kNameSize]);

private:
    // Fills `record` as a file record: header, the name's first 24 characters
    // (zero-padded), values and flags from `source`, and a zeroed path area.
    static void fileRecord(const ProgramRecord& source, ProgramRecord& record);

    Doxaro& plugin_;          // the plug-in whose programs are saved and loaded
    UserMessages& messages_;  // where rejected files are reported
};
