// The settings document "Tavrin.xml" beside the program. Every user works in a
// bracket: OpenSettingsXml, reads and changes through SettingsDoc's document
// element (APP), then SaveSettingsXml. Brackets may nest: the document opened by
// the outermost bracket is shared and is saved and freed when that bracket
// closes; an inner bracket's changes, saved or discarded, are the outermost
// bracket's to save. Main thread only.
#pragma once

#include <functional>
#include <string>

#include "framework/xml_document.h"

// The open document; nullptr outside every bracket.
extern TXMLDocument* SettingsDoc;

// The folder that holds the settings file, with its trailing "\"; by default
// the program's own folder. Setting "" goes back to that default.
void SetSettingsFolder(const std::wstring& Folder);
std::wstring SettingsFileName();

// Told when a settings file that cannot be read was replaced by the default:
// the file's name and the backup it was kept as. Returns the previous one.
using TSettingsResetReport =
    std::function<void(const std::wstring& FileName, const std::wstring& KeptAs)>;
TSettingsResetReport SetSettingsResetReport(TSettingsResetReport Report);

// Writes the built-in default first when the file is missing; when it cannot
// be written, the bracket works on the default in memory. A file that does
// not parse, breaks the XML document's bounds (its size, the attributes of one
// element) or has no APP root is kept as a backup and replaced by the default,
// and the reset report is told. A backup is never overwritten: the first free
// of "Tavrin.xml.bak", "Tavrin.xml.2.bak" ... "Tavrin.xml.100.bak" is taken.
// Raises when the file cannot be read, written or replaced.
void OpenSettingsXml();
// Closes a bracket; the outermost one saves the file (through a temporary file
// beside it) and frees the document, even when saving raises.
void SaveSettingsXml();
// Closes a bracket without saving.
void DiscardSettingsXml();

// The start-up check: opens the document and leaves it open. A file written by
// another version (the root's Name is not TavrinVersion) is kept as a backup
// and replaced by the default without a report: an upgrade, not a loss. When
// the settings cannot be opened or replaced, a message box says so and the
// result is False: the program must end.
bool OpenCheckedSettingsXml();
