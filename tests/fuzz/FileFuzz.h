#pragma once

#include <cstddef>
#include <cstdint>

// Entry points over the files the console reads from servers, panels and operators, shared by the libFuzzer
// targets and the test that CI runs. Each takes arbitrary bytes as the file and checks the reader's own promises;
// a broken promise aborts through qFatal, so the fuzzer reports it.
namespace FileFuzz {
// update.cfg: a value never spans a quote or a line, another model's section never changes the entry, and an
// address the audio-box update accepts names a file that lands directly in the download folder.
void updateConfig(const uint8_t *data, size_t size);
// manifest.xml and its routes: packages of the model with well-formed versions, routes within their limits that
// climb step by step, and a chosen step that is the route's own, upwards, with a size and an http(s) address.
void boxManifest(const uint8_t *data, size_t size);
// manifest_panel.xml: an image has a size and an address taken from an entry of its version, and an entry with a
// size and a usable address is never passed over for none.
void panelManifest(const uint8_t *data, size_t size);
// The user import: an error points at its row and at a column the row reaches; a row accepted and written out
// again is accepted again with the same values.
void userCsv(const uint8_t *data, size_t size);
// The device import: as the user import, and the rows it accepts, exported, read back as the same devices.
void deviceCsv(const uint8_t *data, size_t size);
// The account file of the panels: parsing what was built from a parse changes nothing, and users built into a file
// come back with every name and field as they were.
void panelAccountFile(const uint8_t *data, size_t size);
} // namespace FileFuzz
