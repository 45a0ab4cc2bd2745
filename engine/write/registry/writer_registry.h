#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "document/setting_field.h"
#include "io/staging_seam.h"
#include "write/document_sink.h"

namespace zelvato {

// Every medium a run can write, each registered once (writers.cpp): the
// command line's output flags and their help, the window's output choices and
// save dialogs, the checks before a run and the making of its writer all come
// from here. Only this registry knows the concrete writers.

// What a medium writes: one file, a folder of numbered files, or nothing but
// the HTML pane and the preview.
enum class Destination { none, file, folder };

// What a medium reads of a run: the grid typesetter's blocks, or the document
// alone; and the output settings its files depend on, by their keys in the
// option table. The checks before a run ask only for these, and the window's
// controls of these settings (with the medium's path field) are the ones that
// mean something for it.
struct MediumNeeds {
  bool blocks = false;
  std::span<const std::string_view> settings;
};

struct WriterEntry {
  // The medium's name in the settings record (its outputMode) and here.
  std::string_view key;

  // The command line: --FLAG=VALUE chooses the medium and names its file or
  // folder. Without a flag the command line never chooses it.
  std::string_view flag;
  std::string_view valueName;
  std::string_view help;          // the line of --help
  std::string_view details = {};  // more for the manual page, after the help line

  Destination destination = Destination::none;
  // The window's save dialog: the kind of file, its filter, and the extension a
  // name typed without one gets (the dialog's title is the window's own).
  std::u16string_view fileKind = {};
  std::u16string_view dialogFilter = {};
  std::string_view defaultExtension = {};

  // The window's 出力設定 page: the caption of the medium's choice (for a
  // medium the window writes by a command of its own instead, the command's
  // caption) and of its path field, the path field's object name and that of
  // the button beside it that asks for the path.
  std::u16string_view choiceCaption = {};
  std::u16string_view pathCaption = {};
  std::string_view pathControl = {};
  std::string_view chooserControl = {};
  // How the window remembers the choice ("0" to "3" for its first four media,
  // as earlier settings files hold them; a medium added later takes the next
  // number) and the path ("output/file"); an empty `remembered`: the window
  // does not offer the medium as a choice of its output page.
  std::string_view remembered = {};
  std::string_view pathSettingsKey = {};

  // Where the record keeps the medium's path: a field of its own for the
  // window's first media; otherwise (nullptr) outputPaths under `key`.
  std::u16string ConversionSettings::*pathField = nullptr;
  // The setting a refusal of an empty path names.
  SettingField pathSetting = SettingField::outputPath;

  // For the grid, or for a medium with one form of text; `flowNeeds` for the
  // flowing text where the medium writes either.
  MediumNeeds needs = {};
  std::optional<MediumNeeds> flowNeeds = std::nullopt;

  // How the medium's text is typeset, where it differs from the settings as
  // given: the manuscript sets ruby beside its base, so the cells drop it.
  void (*typesetWith)(ConversionSettings& settings) = nullptr;

  // Makes the run's writer (it shows the run in the preview and the HTML pane
  // as well). Null where this build cannot make the medium.
  std::unique_ptr<DocumentSink> (*make)(const WriterContext& context) = nullptr;
};

// The keys of the media the window has always offered.
namespace writerKeys {
inline constexpr std::string_view showOnly = "show";
inline constexpr std::string_view singleFile = "single";
inline constexpr std::string_view pageFiles = "pages";
inline constexpr std::string_view epub = "epub";
// And the manuscript PDF, which the window writes by its own commands.
inline constexpr std::string_view manuscriptPdf = "pdf";
}  // namespace writerKeys

// Every medium, in the order of the help and of the window's choices.
std::span<const WriterEntry> writerRegistry();

// The medium of this key; nullptr when none has it.
const WriterEntry* findWriter(std::string_view key);
// The medium the settings choose; nullptr for a key no medium has.
const WriterEntry* chosenWriter(const ConversionSettings& settings);
// The medium the window remembered as `remembered`; nullptr when none.
const WriterEntry* writerRemembered(std::string_view remembered);

// What the medium reads with these settings (grid or flowing text).
const MediumNeeds& needsOf(const WriterEntry& writer, const ConversionSettings& settings);
// Whether its files depend on the output setting of this option key.
bool readsSetting(const WriterEntry& writer, const ConversionSettings& settings, std::string_view optionKey);

// The medium's file or folder in the record (empty when none is set).
const std::u16string& outputPath(const ConversionSettings& settings, const WriterEntry& writer);
void setOutputPath(ConversionSettings& settings, const WriterEntry& writer, std::u16string path);

// The settings the run typesets the chosen medium's text with.
ConversionSettings typesetSettings(const ConversionSettings& settings);

// The writer of the medium the settings choose, writing the preview file too
// (when its path is not empty) and showing the run in the host's HTML pane.
// Null for a medium no writer of this build makes.
std::unique_ptr<DocumentSink> makeWriter(const ConversionSettings& settings,
                                         const std::string& previewFilePath, ConversionHost& host,
                                         StagingSeam* staging = nullptr);

}  // namespace zelvato
