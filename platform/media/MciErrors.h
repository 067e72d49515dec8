#pragma once
// The error codes of the media engine's command strings, and their texts. Every failed command answers one of
// these; the error-text call turns it into a sentence a user can act on. No text begins with a digit, so a
// caller that reads a number from an error text reads 0.

#include <QString>

#include <cstdint>

namespace mci {

enum Error : uint32_t {
    NoError = 0,
    UnknownCommand = 257,       // the first word is no command
    ParseError = 258,           // a quoted name is not closed
    MissingDeviceName = 259,    // "open" names no file or device (open "" alias Sound)
    MissingParameter = 260,     // a keyword lacks its value ("seek cd to", "alias" at the end)
    BadParameter = 261,         // a word the command does not take, or a value it cannot read
    NotOpen = 262,              // no open device has this alias
    AliasInUse = 263,           // "open ... alias X" while X is open
    UnknownDeviceType = 264,    // "type" names no device of this engine, or the extension is unknown
    NoSuchDrive = 265,          // the drive letter names no CD drive
    NotReady = 266,             // no disc, a removed disc, a disc that cannot be read
    FileNotFound = 267,
    FileUnreadable = 268,
    UnsupportedFile = 269,      // the file is no sound file (or no MIDI file) this device can play
    NoAudioOutput = 270,
    NoSoundFont = 271,
    OutOfRange = 272,           // a position outside the media, or a track the disc does not have
    BadTimeFormat = 273,
    Unsupported = 274,          // the device cannot do what is asked
    DeviceFailed = 275,         // a library failed, or a file could no longer be read while it played
    NoAudio = 276,              // the range asked for holds data tracks only
};

inline constexpr Error firstError = UnknownCommand;
inline constexpr Error lastError = NoAudio;

// The text of `code`, or an empty text for a code that is not one of the above.
QString errorText(uint32_t code);

}  // namespace mci
