#include "data/import/archive.h"

#include <zip.h>

#include <memory>

#include "data/import/text.h"

namespace brannoc {
namespace {

// Frees what libzip hands out.
struct ZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

const char* MethodName(std::int32_t method) {
  switch (method) {
    case ZIP_CM_STORE: return "stored";
    case ZIP_CM_DEFLATE: return "deflate";
    case ZIP_CM_DEFLATE64: return "deflate64";
    case ZIP_CM_BZIP2: return "bzip2";
    case 14: return "LZMA";
    case 93: return "zstd";
    case 95: return "xz";
    default: return nullptr;
  }
}

// description.xml from the archive in `bytes`.
GdtfText ReadArchive(std::span<const std::uint8_t> bytes) {
  GdtfText out;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (!source) {
    out.Error = std::string("the archive cannot be read: ") + zip_error_strerror(&error);
    zip_error_fini(&error);
    return out;
  }
  std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY, &error));
  if (!archive) {
    zip_source_free(source);
    out.Error = std::string("the archive is damaged: ") + zip_error_strerror(&error);
    zip_error_fini(&error);
    return out;
  }
  zip_error_fini(&error);
  zip_int64_t index = zip_name_locate(archive.get(), "description.xml", 0);
  if (index < 0) index = zip_name_locate(archive.get(), "description.xml", ZIP_FL_NOCASE);
  if (index < 0) {
    out.Error = "the archive holds no description.xml";
    return out;
  }
  const auto member = static_cast<zip_uint64_t>(index);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive.get(), member, 0, &stat) != 0) {
    out.Error = std::string("the archive is damaged: ") + zip_strerror(archive.get());
    return out;
  }
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
    out.Error = "description.xml is encrypted in the archive; it cannot be read";
    return out;
  }
  if ((stat.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(stat.comp_method, 0)) {
    const char* name = MethodName(stat.comp_method);
    out.Error = "description.xml is compressed by " +
                (name ? std::string(name) : "method " + std::to_string(stat.comp_method)) +
                ", which cannot be read; stored, deflate and bzip2 members can";
    return out;
  }
  if (!(stat.valid & ZIP_STAT_SIZE)) {
    out.Error = "the archive is damaged: it gives no size for description.xml";
    return out;
  }
  if (stat.size > kMaxGdtfMemberBytes) {
    out.Error = "description.xml inflates to " + std::to_string(stat.size) + " bytes; more than " +
                std::to_string(kMaxGdtfMemberBytes / (1024 * 1024)) + " MB is not read";
    return out;
  }
  std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive.get(), member, 0));
  if (!file) {
    out.Error = std::string("description.xml cannot be read from the archive: ") + zip_strerror(archive.get());
    return out;
  }
  // libzip reads at most the stated size and checks the CRC at its end: a
  // member that inflates past what it states fails here.
  out.Xml.resize(static_cast<std::size_t>(stat.size));
  std::size_t got = 0;
  while (got < out.Xml.size()) {
    const zip_int64_t n = zip_fread(file.get(), out.Xml.data() + got, out.Xml.size() - got);
    if (n < 0) {
      out.Error = std::string("the archive is damaged: description.xml: ") + zip_file_strerror(file.get());
      out.Xml.clear();
      return out;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  char extra = 0;
  if (got != out.Xml.size() || zip_fread(file.get(), &extra, 1) != 0) {
    out.Error = "the archive is damaged: description.xml is not the " + std::to_string(stat.size) +
                " bytes the archive states";
    out.Xml.clear();
  }
  return out;
}

}  // namespace

bool IsZip(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K' &&
         ((bytes[2] == 3 && bytes[3] == 4) || (bytes[2] == 5 && bytes[3] == 6));
}

GdtfText GdtfDescriptionText(std::span<const std::uint8_t> bytes) {
  if (IsZip(bytes)) return ReadArchive(bytes);
  GdtfText text;
  text.Xml.assign(import_text::AsText(bytes));
  return text;
}

}  // namespace brannoc
