#include "resources/ShippedData.h"

#include <cstddef>

namespace qv::embedded {
extern const unsigned char singer_bin[];
extern const std::size_t singer_bin_size;
extern const unsigned char japanese_table[];
extern const std::size_t japanese_table_size;
extern const unsigned char placeholder_jpg[];
extern const std::size_t placeholder_jpg_size;
extern const unsigned char songbook_template_xls[];
extern const std::size_t songbook_template_xls_size;
extern const unsigned char singerbook_template_xls[];
extern const std::size_t singerbook_template_xls_size;
extern const unsigned char vkm_layout_720X480[];
extern const std::size_t vkm_layout_720X480_size;
extern const unsigned char vkm_layout_1024X768[];
extern const std::size_t vkm_layout_1024X768_size;
extern const unsigned char vkm_layout_1280X720[];
extern const std::size_t vkm_layout_1280X720_size;
}  // namespace qv::embedded

namespace qv {

namespace {
std::string Bytes(const unsigned char* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
}  // namespace

const std::string& ShippedSingerBin() {
    static const std::string bytes = Bytes(embedded::singer_bin, embedded::singer_bin_size);
    return bytes;
}

const std::string& ShippedJapaneseTable() {
    static const std::string bytes = Bytes(embedded::japanese_table, embedded::japanese_table_size);
    return bytes;
}

const std::string& ShippedPlaceholderPicture() {
    static const std::string bytes = Bytes(embedded::placeholder_jpg, embedded::placeholder_jpg_size);
    return bytes;
}

const std::string& ShippedSongBookTemplate() {
    static const std::string bytes =
        Bytes(embedded::songbook_template_xls, embedded::songbook_template_xls_size);
    return bytes;
}

const std::string& ShippedSingerBookTemplate() {
    static const std::string bytes =
        Bytes(embedded::singerbook_template_xls, embedded::singerbook_template_xls_size);
    return bytes;
}

const std::string& ShippedVkmLayout720x480() {
    static const std::string bytes = Bytes(embedded::vkm_layout_720X480, embedded::vkm_layout_720X480_size);
    return bytes;
}

const std::string& ShippedVkmLayout1024x768() {
    static const std::string bytes = Bytes(embedded::vkm_layout_1024X768, embedded::vkm_layout_1024X768_size);
    return bytes;
}

const std::string& ShippedVkmLayout1280x720() {
    static const std::string bytes = Bytes(embedded::vkm_layout_1280X720, embedded::vkm_layout_1280X720_size);
    return bytes;
}

}  // namespace qv
