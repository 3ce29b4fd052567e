#include "support/zip_writer.h"

#include <zip.h>

namespace brannoc::test {

std::vector<std::uint8_t> WriteZip(const std::vector<ZipMember>& members) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_error_fini(&error);
  if (!buffer) return {};
  zip_source_keep(buffer);  // read back after the archive is closed
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
  std::vector<std::uint8_t> out;
  bool ok = archive != nullptr;
  for (const ZipMember& m : members) {
    if (!ok) break;
    zip_source_t* data = zip_source_buffer(archive, m.Data.data(), m.Data.size(), 0);
    const zip_int64_t index = data ? zip_file_add(archive, m.Name.c_str(), data, ZIP_FL_OVERWRITE) : -1;
    if (index < 0) {
      zip_source_free(data);
      ok = false;
      break;
    }
    const auto i = static_cast<zip_uint64_t>(index);
    const std::int32_t method = m.Method == ZipMethod::Store    ? ZIP_CM_STORE
                                : m.Method == ZipMethod::Bzip2 ? ZIP_CM_BZIP2
                                                               : ZIP_CM_DEFLATE;
    ok = zip_set_file_compression(archive, i, method, 0) == 0;
    if (ok && m.Encrypted) ok = zip_file_set_encryption(archive, i, ZIP_EM_AES_256, "secret") == 0;
  }
  if (archive && (!ok || zip_close(archive) != 0)) {
    zip_discard(archive);
    ok = false;
  }
  if (ok && zip_source_open(buffer) == 0) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
      out.resize(static_cast<std::size_t>(stat.size));
      if (zip_source_read(buffer, out.data(), out.size()) != static_cast<zip_int64_t>(out.size())) out.clear();
    }
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  return out;
}

std::vector<std::uint8_t> GdtfArchive(const std::string& description, ZipMethod method) {
  return WriteZip({{"description.xml", description, method, false}, {"wheels/gobo1.png", "\x89PNG", ZipMethod::Store, false}});
}

std::string GdtfDescription(const std::string& maker, const std::string& model, const std::vector<GdtfModeSpec>& modes) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GDTF DataVersion=\"1.1\"><FixtureType Name=\"" + model +
                    "\" ShortName=\"\" Manufacturer=\"" + maker +
                    "\">\n<Geometries><Geometry Name=\"Body\"/></Geometries>\n<DMXModes>\n";
  for (const GdtfModeSpec& mode : modes) {
    xml += "<DMXMode Name=\"" + mode.Name + "\" Geometry=\"Body\"><DMXChannels>\n";
    for (const GdtfChannelSpec& channel : mode.Channels) {
      xml += "<DMXChannel Offset=\"" + channel.Offset + "\" Geometry=\"Body\"><LogicalChannel Attribute=\"" +
             channel.Attribute + "\"/></DMXChannel>\n";
    }
    xml += "</DMXChannels></DMXMode>\n";
  }
  return xml + "</DMXModes></FixtureType></GDTF>";
}

}  // namespace brannoc::test
