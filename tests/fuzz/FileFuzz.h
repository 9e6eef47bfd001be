#pragma once

#include <cstddef>
#include <cstdint>

// Entry points over the files the console reads from servers, panels and operators, shared by the libFuzzer
// targets and the test that CI runs. Each takes arbitrary bytes as the file and checks the reader's own promises;
// a broken promise aborts through qFatal, so the fuzzer reports it.
namespace FileFuzz {
// update.cfg, its bytes as the console reads the file (NUL included): a file with a NUL or bytes that are no UTF-8 is
// unreadable and gives nothing, a value never spans a quote or a line, another model's section never changes the entry,
// and an address the audio-box update accepts names a file that lands directly in the download folder.
void updateConfig(const uint8_t *data, size_t size);
// manifest.xml and its routes. An even first byte gives the bytes to the reader as XML; an odd one makes the rest a
// list of packages (steps, chains of steps, fans of SKUs, malformed versions, sizes about 4 GiB, unusable addresses,
// sizes with blanks or a sign before them) written out as a manifest, which reaches the route limits. The reader keeps
// exactly the packages of the model with well-formed versions and at most 4 GiB stated, each with its first address the
// downloader fetches; the routes are built or given up exactly as the limits say, and a chosen step is the route's own,
// upwards, with a size and an http(s) address.
void boxManifest(const uint8_t *data, size_t size);
// manifest_panel.xml: an image has a size and an address taken from an entry of its version, every address kept is
// one the downloader fetches, and an entry with a size and a usable address is never passed over for none.
void panelManifest(const uint8_t *data, size_t size);
// The user import through UserCsv::parseBytes, in the codec in use that the first byte chooses, against a decoder of
// the target's own (UTF-8, UTF-16, UTF-32 and the code page in use): bytes that are no text and NUL are refused at the
// cell where the first of them stands and give no rows, and an accepted file reads as the very text its bytes spell; a
// UTF-8 file without CR reads as the shared reader reads it; an error points at its row and at a column the row
// reaches; a row accepted and written out again reads back with its values as the reader gives any cell back (CR LF
// inside quotes made LF), and unchanged ones are accepted again.
void userCsv(const uint8_t *data, size_t size);
// The device import: its reading held against the same decoder (UTF-8 in use), as the user import, and the rows it
// accepts, exported, read back as the same devices (after the reader's line ends).
void deviceCsv(const uint8_t *data, size_t size);
// The account file of the panels, every byte as it came: a file with a NUL or bytes that are no UTF-8 is refused
// whole with no users; parsing what was built from a parse changes nothing; users built into a file come back with
// every name and field as they were, and a file carrying a NUL in some field is refused.
void panelAccountFile(const uint8_t *data, size_t size);
} // namespace FileFuzz
