#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// What one fuzz input does, shared by the libFuzzer targets and the unit test
// that replays their corpora and regression inputs. Each returns an empty
// text when the input was handled soundly, else the broken rule; crashes,
// undefined behaviour and exceptions other than RuntimeError escape as such.
namespace testsupport {

// The bytes as the content of all four settings files, loaded by the player's
// own loaders in start-up order, then a saved position read back.
QString fuzzSettingsFiles(const std::uint8_t* data, std::size_t size);

// The bytes, as UTF-8, as an encoder's parameter text split into arguments.
QString fuzzCommandLine(const std::uint8_t* data, std::size_t size);

}  // namespace testsupport
