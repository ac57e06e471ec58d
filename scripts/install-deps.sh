#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Lexivane.
# Only packages that are missing are installed. Works as root, uses sudo otherwise.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # The learning record: Qt SQL (in qt6-base-dev) and its SQLite driver.
    libqt6sql6-sqlite
    # Backups and the one-file export: the .lxv file is a zip, read and
    # written through minizip (zlib's own contrib library, zlib licence).
    libminizip-dev
    xvfb xauth
    fonts-arphic-ukai fonts-arphic-uming
    # Qt's own texts (standard buttons, edit menus) in Chinese.
    qt6-translations-l10n
    # Media playback: Qt Multimedia plays through GStreamer. base+good read
    # WAV and AVI (uncompressed, MJPEG); libav adds the older AVI codecs
    # (Cinepak, MS Video 1, MS RLE, Indeo); bad holds the MIDI parser and the
    # FluidSynth decoder, which needs a General MIDI soundfont.
    qt6-multimedia-dev
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    gstreamer1.0-plugins-bad gstreamer1.0-libav
    timgm6mb-soundfont
    # Pronunciation: Qt TextToSpeech (its CMake files need the QML
    # integration headers of qt6-declarative-dev), the default voice
    # (speech-dispatcher with eSpeak NG, a separate process) and the Flite
    # voice, which runs inside the program.
    qt6-speech-dev qt6-declarative-dev
    qt6-speech-speechd-plugin speech-dispatcher-espeak-ng
    qt6-speech-flite-plugin
)
# Extra packages can be asked for by callers (for example the sanitizer build).
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
else
    SUDO=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update
"${SUDO[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
