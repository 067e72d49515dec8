#include "platform/media/MciErrors.h"

namespace mci {

QString errorText(uint32_t code)
{
    switch (code) {
    case NoError:
        return QStringLiteral("The command was carried out.");
    case UnknownCommand:
        return QStringLiteral("The command is not one the media engine knows.");
    case ParseError:
        return QStringLiteral("The command cannot be read: a quotation mark is not closed.");
    case MissingDeviceName:
        return QStringLiteral("The command names no file or device.");
    case MissingParameter:
        return QStringLiteral("The command lacks a value it needs.");
    case BadParameter:
        return QStringLiteral("The command holds a word or a value that the device does not accept.");
    case NotOpen:
        return QStringLiteral("No device is open under the name used in the command.");
    case AliasInUse:
        return QStringLiteral("The alias is already in use by an open device; close it first.");
    case UnknownDeviceType:
        return QStringLiteral("The device type is unknown; use cdaudio, waveaudio, sequencer or alarmtone.");
    case NoSuchDrive:
        return QStringLiteral("The drive named is no CD drive.");
    case NotReady:
        return QStringLiteral("The CD drive is not ready: there is no disc in it, or the disc cannot be read.");
    case FileNotFound:
        return QStringLiteral("The file cannot be found.");
    case FileUnreadable:
        return QStringLiteral("The file cannot be read; check that it exists and that you may read it.");
    case UnsupportedFile:
        return QStringLiteral("The file is not a sound or MIDI file of a kind that can be played.");
    case NoAudioOutput:
        return QStringLiteral("No audio output is available: no sound device was found, or the sound server is not running.");
    case NoSoundFont:
        return QStringLiteral("MIDI files cannot be played: the General MIDI sound font is missing or damaged. "
                              "Install the package fluid-soundfont-gm.");
    case OutOfRange:
        return QStringLiteral("The position lies outside the media, or the disc has no such track.");
    case BadTimeFormat:
        return QStringLiteral("The time format is not one the device knows.");
    case Unsupported:
        return QStringLiteral("The device cannot do what the command asks.");
    case DeviceFailed:
        return QStringLiteral("The device failed while carrying out the command, or the file could no longer be read.");
    case NoAudio:
        return QStringLiteral("There is no audio to play there: the disc, or the part of it asked for, holds data only.");
    default:
        break;
    }
    return {};
}

}  // namespace mci
