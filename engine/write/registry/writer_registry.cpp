#include "write/registry/writer_registry.h"

#include <algorithm>

namespace zelvato {

const WriterEntry* findWriter(std::string_view key) {
  for (const WriterEntry& writer : writerRegistry())
    if (writer.key == key) return &writer;
  return nullptr;
}

const WriterEntry* chosenWriter(const ConversionSettings& settings) {
  return findWriter(settings.outputMode);
}

const WriterEntry* writerRemembered(std::string_view remembered) {
  if (remembered.empty()) return nullptr;
  for (const WriterEntry& writer : writerRegistry())
    if (writer.remembered == remembered) return &writer;
  return nullptr;
}

const MediumNeeds& needsOf(const WriterEntry& writer, const ConversionSettings& settings) {
  return settings.textStyle == TextStyle::flow && writer.flowNeeds ? *writer.flowNeeds : writer.needs;
}

bool readsSetting(const WriterEntry& writer, const ConversionSettings& settings, std::string_view optionKey) {
  const std::span<const std::string_view> read = needsOf(writer, settings).settings;
  return std::find(read.begin(), read.end(), optionKey) != read.end();
}

const std::u16string& outputPath(const ConversionSettings& settings, const WriterEntry& writer) {
  static const std::u16string none;
  if (writer.pathField != nullptr) return settings.*writer.pathField;
  const auto path = settings.outputPaths.find(writer.key);
  return path != settings.outputPaths.end() ? path->second : none;
}

void setOutputPath(ConversionSettings& settings, const WriterEntry& writer, std::u16string path) {
  if (writer.pathField != nullptr)
    settings.*writer.pathField = std::move(path);
  else
    settings.outputPaths.insert_or_assign(std::string(writer.key), std::move(path));
}

ConversionSettings typesetSettings(const ConversionSettings& settings) {
  ConversionSettings typeset = settings;
  if (const WriterEntry* writer = chosenWriter(settings); writer != nullptr && writer->typesetWith != nullptr)
    writer->typesetWith(typeset);
  return typeset;
}

std::unique_ptr<DocumentSink> makeWriter(const ConversionSettings& settings,
                                         const std::string& previewFilePath, ConversionHost& host,
                                         StagingSeam* staging) {
  const WriterEntry* writer = chosenWriter(settings);
  if (writer == nullptr || writer->make == nullptr) return nullptr;
  return writer->make(WriterContext{settings, previewFilePath, host, staging, outputPath(settings, *writer)});
}

}  // namespace zelvato
