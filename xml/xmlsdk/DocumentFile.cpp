// SPDX-License-Identifier: MIT
// Reading and writing document files through the OS layer's calls, so tests
// can make a read or a write fail (on Windows, the system's own calls). A
// Latin-1 document is written through a converting writer that turns the
// characters Latin-1 cannot hold into character references.
#include "xml/xmlsdk/DocumentFile.h"

#include "platform/TextStream.h"
#include "xml/xmlsdk/Entities.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <filekit/Win32.h>
#else
#include "platform/posix/Syscalls.h"

#include <cerrno>
#include <fcntl.h>
#endif

namespace filekit::xml {

namespace {

// Reads the regular file at path into a block from the back end's
// allocator, which the document takes over. Null when it cannot be read.
#ifdef _WIN32
// On Windows through the system's own calls, at most kLargestRead bytes a call.
constexpr DWORD kLargestRead = DWORD{1} << 30;

void* ReadRegularFile(const char* path, size_t& length)
{
    const HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER info{};
    void* block = nullptr;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &info) && info.QuadPart > 0 &&
        static_cast<std::uintmax_t>(info.QuadPart) < SIZE_MAX) {
        const auto size = static_cast<size_t>(info.QuadPart);
        block = pugi::get_memory_allocation_function()(size);
        length = 0;
        while (block && length < size) {
            DWORD got = 0;
            const auto want = static_cast<DWORD>(std::min<size_t>(size - length, kLargestRead));
            if (!ReadFile(file, static_cast<char*>(block) + length, want, &got, nullptr)) {
                pugi::get_memory_deallocation_function()(block);
                block = nullptr;
            } else if (got == 0) {
                break;
            } else {
                length += got;
            }
        }
    }
    CloseHandle(file);
    return block;
}
#else
void* ReadRegularFile(const char* path, size_t& length)
{
    // Non-blocking, so that a FIFO without a writer cannot hang the open.
    const int fd = g_sys.open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) return nullptr;
    struct stat info {};
    void* block = nullptr;
    if (g_sys.fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<std::uintmax_t>(info.st_size) < SIZE_MAX) {
        const auto size = static_cast<size_t>(info.st_size);
        block = pugi::get_memory_allocation_function()(size);
        length = 0;
        while (block && length < size) {
            const ssize_t got = g_sys.read(fd, static_cast<char*>(block) + length, size - length);
            if (got == 0) break;
            if (got > 0) {
                length += static_cast<size_t>(got);
            } else if (errno != EINTR) {
                pugi::get_memory_deallocation_function()(block);
                block = nullptr;
            }
        }
    }
    g_sys.close(fd);
    return block;
}
#endif

// True when some node lies more than limit levels below the document node.
bool NestedDeeperThan(const pugi::xml_node& document, unsigned limit)
{
    unsigned depth = 0;
    pugi::xml_node node = document;
    for (;;) {
        if (pugi::xml_node child = node.first_child()) {
            if (++depth > limit) return true;
            node = child;
            continue;
        }
        while (!node.next_sibling()) {
            if (depth == 0) return false;
            node = node.parent();
            --depth;
        }
        node = node.next_sibling();
    }
}

// The bytes of a file in encoding as UTF-8 text without a byte-order mark,
// decoded as the back end decodes them.
std::string DecodeToUTF8(const unsigned char* data, size_t length, pugi::xml_encoding encoding)
{
    std::string text;
    text.reserve(length);
    const bool big = encoding == pugi::encoding_utf16_be || encoding == pugi::encoding_utf32_be;
    const auto unit = [&](size_t at, size_t size) {
        std::uint32_t value = 0;
        for (size_t i = 0; i < size; ++i) value |= std::uint32_t{data[at + i]} << (8 * (big ? size - 1 - i : i));
        return value;
    };
    switch (encoding) {
    case pugi::encoding_latin1:
        for (size_t i = 0; i < length; ++i) AppendUTF8(text, data[i]);
        break;
    case pugi::encoding_utf16_le:
    case pugi::encoding_utf16_be:
        for (size_t i = 0; i + 1 < length; i += 2) {
            std::uint32_t ch = unit(i, 2);
            if (ch >= 0xD800 && ch < 0xE000) {
                // A high surrogate and the low one after it are one
                // character; any other surrogate is dropped, as the back
                // end drops it.
                const std::uint32_t low = ch < 0xDC00 && i + 3 < length ? unit(i + 2, 2) : 0;
                if (low < 0xDC00 || low >= 0xE000) continue;
                ch = 0x10000 + ((ch - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
            AppendUTF8(text, ch);
        }
        break;
    case pugi::encoding_utf32_le:
    case pugi::encoding_utf32_be:
        for (size_t i = 0; i + 3 < length; i += 4) AppendUTF8(text, unit(i, 4));
        break;
    default: text.assign(reinterpret_cast<const char*>(data), length);
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    return text;
}

bool IsByteOrderMark(const void* block, size_t length)
{
    return length >= 3 && std::memcmp(block, "\xEF\xBB\xBF", 3) == 0;
}

// The document's DOCTYPE node; empty when it has none.
pugi::xml_node DoctypeOf(const pugi::xml_document& document)
{
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_doctype) return node;
    return pugi::xml_node();
}

// Makes the line ends of the DOCTYPE LF, as the back end makes those of the
// rest of the document: a save then writes each as the platform's line end
// once, however often the document goes round.
void NormalizeLineEnds(pugi::xml_node doctype)
{
    std::string value = doctype.value();
    if (value.find('\r') == std::string::npos) return;
    size_t kept = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
        value[kept++] = value[i] == '\r' ? '\n' : value[i];
    }
    value.resize(kept);
    doctype.set_value(value.c_str());
}

// Reads the file at path again as UTF-8 text, expands its entities and
// parses the result into document.
bool LoadExpanded(pugi::xml_document& document, const char* path, pugi::xml_encoding encoding)
{
    size_t length = 0;
    void* block = ReadRegularFile(path, length);
    if (!block) return false;
    std::string text = DecodeToUTF8(static_cast<const unsigned char*>(block), length, encoding);
    pugi::get_memory_deallocation_function()(block);
    return ExpandEntities(text) &&
           document.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8).status == pugi::status_ok;
}

bool HasCharacterBeyondLatin1(const char* text)
{
    // UTF-8 lead bytes from 0xC4 on start the characters from U+0100 on.
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0xC4) return true;
    return false;
}

// Looks for a character Latin-1 cannot hold where no character reference
// may stand for it: in a name, a comment, a processing instruction, a CDATA
// section, the DOCTYPE or the declaration. Text and the attribute values
// of elements are not looked at: Latin1Writer writes references there.
class UnreferableBeyondLatin1 : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override
    {
        const bool element = node.type() == pugi::node_element;
        m_found = HasCharacterBeyondLatin1(node.name()) ||
                  (node.type() != pugi::node_pcdata && HasCharacterBeyondLatin1(node.value()));
        for (pugi::xml_attribute attribute = node.first_attribute(); attribute && !m_found;
             attribute = attribute.next_attribute())
            m_found =
                HasCharacterBeyondLatin1(attribute.name()) || (!element && HasCharacterBeyondLatin1(attribute.value()));
        return !m_found;
    }
    bool Found() const { return m_found; }

private:
    bool m_found = false;
};

// Whether a declaration's encoding name (null when it gives none) fits a
// file written in encoding, with a byte-order mark where one applies. A name
// the back end does not know (windows-1252, say) was read as UTF-8 bytes
// passed through unconverted, and fits such bytes written back.
bool Denotes(const char* name, pugi::xml_encoding encoding)
{
    const bool utf16 = encoding == pugi::encoding_utf16_le || encoding == pugi::encoding_utf16_be;
    if (!name) return encoding == pugi::encoding_utf8 || utf16;
    const auto is = [name](const char* other) {
        size_t i = 0;
        for (; name[i] && other[i]; ++i)
            if ((name[i] | 0x20) != (other[i] | 0x20)) return false;
        return name[i] == other[i];
    };
    if (is("utf-16") || is("utf-16le") || is("utf-16be")) return utf16;
    if (is("utf-32") || is("ucs-4")) return encoding == pugi::encoding_utf32_le || encoding == pugi::encoding_utf32_be;
    if (is("iso-8859-1") || is("iso8859-1") || is("latin1") || is("latin-1")) return encoding == pugi::encoding_latin1;
    return encoding == pugi::encoding_utf8;
}

const char* EncodingName(pugi::xml_encoding encoding)
{
    switch (encoding) {
    case pugi::encoding_utf8: return "UTF-8";
    case pugi::encoding_utf16_le:
    case pugi::encoding_utf16_be: return "UTF-16";
    case pugi::encoding_utf32_le:
    case pugi::encoding_utf32_be: return "UTF-32";
    default: return "ISO-8859-1";
    }
}

// Makes the document's declaration name the encoding a save writes, for as
// long as the save runs, and then puts back what it said. A document
// without a declaration (rebuilt after EmptyDocument) that needs one to name
// its encoding gets one for that time.
class DeclaredEncoding {
public:
    DeclaredEncoding(pugi::xml_document& document, pugi::xml_encoding encoding) : m_document(document)
    {
        pugi::xml_node first = document.first_child();
        const bool declared = first.type() == pugi::node_declaration;
        pugi::xml_attribute attribute = first.attribute("encoding");
        if (Denotes(declared && attribute ? attribute.value() : nullptr, encoding)) return;
        if (!declared) {
            m_added = document.prepend_child(pugi::node_declaration);
            m_added.append_attribute("version").set_value("1.0");
            m_added.append_attribute("encoding").set_value(EncodingName(encoding));
            return;
        }
        if (!attribute) {
            // The encoding comes right after the version, before standalone.
            const pugi::xml_attribute version = first.attribute("version");
            attribute =
                version ? first.insert_attribute_after("encoding", version) : first.prepend_attribute("encoding");
            m_declaration = first;
        } else {
            m_before = attribute.value();
        }
        m_attribute = attribute;
        m_attribute.set_value(EncodingName(encoding));
    }
    ~DeclaredEncoding()
    {
        if (m_added)
            m_document.remove_child(m_added);
        else if (m_declaration)
            m_declaration.remove_attribute(m_attribute);
        else if (m_attribute)
            m_attribute.set_value(m_before.c_str());
    }
    DeclaredEncoding(const DeclaredEncoding&) = delete;
    DeclaredEncoding& operator=(const DeclaredEncoding&) = delete;

private:
    pugi::xml_document& m_document;
    pugi::xml_node m_added;  // a declaration added for the save
    pugi::xml_node m_declaration;  // the declaration, when an encoding attribute was added to it
    pugi::xml_attribute m_attribute;  // the encoding attribute, when it was changed or added
    std::string m_before;  // what a changed attribute said
};

class StreamWriter : public pugi::xml_writer {
public:
    explicit StreamWriter(TextWriter& out) : m_out(out) {}
    void write(const void* data, size_t size) override { m_out.Write(static_cast<const char*>(data), size); }

private:
    TextWriter& m_out;
};

// The longest UTF-8 sequence, in bytes.
constexpr size_t kMaxUTF8Bytes = 4;

// Decodes the UTF-8 sequence at the start of text (size bytes, at least
// one) into ch and gives its length; 0 when text ends inside what may still
// become one. A byte that starts no well-formed sequence (a stray
// continuation byte, an overlong form, a surrogate, a cut sequence) gives 1
// and is its own ch, so that it is written as it is.
size_t DecodeUTF8(const unsigned char* text, size_t size, std::uint32_t& ch)
{
    static const std::uint32_t kLeast[kMaxUTF8Bytes + 1] = {0, 0, 0x80, 0x800, 0x10000};
    const unsigned char lead = text[0];
    const size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    ch = lead;
    if (length == 1) return 1;
    std::uint32_t value = lead & (0x7FU >> length);
    for (size_t i = 1; i < length; ++i) {
        if (i == size) return 0;
        if ((text[i] & 0xC0) != 0x80) return 1;
        value = (value << 6) | (text[i] & 0x3FU);
    }
    if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) return 1;
    ch = value;
    return length;
}

// Writes the back end's UTF-8 output as Latin-1: a character from U+0100 on
// as a decimal character reference ("&#8230;", one for an astral character
// too), which is right only where text or an attribute value stands; the
// save falls back to UTF-8 when such a character is anywhere else
// (UnreferableBeyondLatin1). Runs of ASCII go through untouched. A sequence
// cut by the end of a chunk is kept until the next chunk settles it; the
// output ends in markup, which settles whatever is kept.
class Latin1Writer : public pugi::xml_writer {
public:
    explicit Latin1Writer(TextWriter& out) : m_out(out) {}
    void write(const void* data, size_t size) override
    {
        const auto* text = static_cast<const unsigned char*>(data);
        while (m_carried > 0 && size > 0) {
            unsigned char joined[kMaxUTF8Bytes];
            const size_t taken = (std::min)(size, kMaxUTF8Bytes - m_carried);
            std::memcpy(joined, m_carry, m_carried);
            std::memcpy(joined + m_carried, text, taken);
            std::uint32_t ch = 0;
            const size_t length = DecodeUTF8(joined, m_carried + taken, ch);
            if (length == 0) {
                std::memcpy(m_carry + m_carried, text, taken);
                m_carried += taken;
                return;
            }
            Put(ch);
            if (length < m_carried) {
                std::memmove(m_carry, m_carry + length, m_carried - length);
                m_carried -= length;
            } else {
                text += length - m_carried;
                size -= length - m_carried;
                m_carried = 0;
            }
        }
        size_t run = 0;  // start of the ASCII run not yet written
        for (size_t at = 0; at < size;) {
            if (text[at] < 0x80) {
                ++at;
                continue;
            }
            m_out.Write(reinterpret_cast<const char*>(text + run), at - run);
            std::uint32_t ch = 0;
            const size_t length = DecodeUTF8(text + at, size - at, ch);
            if (length == 0) {
                m_carried = size - at;
                std::memcpy(m_carry, text + at, m_carried);
                return;
            }
            Put(ch);
            run = at += length;
        }
        m_out.Write(reinterpret_cast<const char*>(text + run), size - run);
    }

private:
    void Put(std::uint32_t ch)
    {
        if (ch < 0x100) {
            const char byte = static_cast<char>(ch);
            m_out.Write(&byte, 1);
            return;
        }
        char reference[16] = "&#";  // "&#1114111;" at most
        char* end = std::to_chars(reference + 2, reference + sizeof reference - 1, ch).ptr;
        *end++ = ';';
        m_out.Write(reference, static_cast<size_t>(end - reference));
    }

    TextWriter& m_out;
    unsigned char m_carry[kMaxUTF8Bytes - 1] = {};  // the start of a sequence cut by a chunk's end
    size_t m_carried = 0;
};

}  // namespace

bool LoadDocumentFile(pugi::xml_document& document, const char* path, FileForm& form)
{
    size_t length = 0;
    void* block = ReadRegularFile(path, length);
    if (!block) return false;
    const bool byteOrderMark = IsByteOrderMark(block, length);
    const pugi::xml_parse_result result =
        document.load_buffer_inplace_own(block, length, kParseOptions, pugi::encoding_auto);
    if (result.status != pugi::status_ok) return false;
    // The document read as it is leaves the references to declared entities
    // as text: the file is read again and parsed with them expanded.
    if (DeclaresEntities(DoctypeOf(document).value()) && !LoadExpanded(document, path, result.encoding)) return false;
    NormalizeLineEnds(DoctypeOf(document));
    form.encoding = result.encoding;
    form.byteOrderMark = byteOrderMark;
    return true;
}

bool SaveDocumentFile(pugi::xml_document& document, const char* path, unsigned maxIndentedDepth, const FileForm& form)
{
    pugi::xml_encoding encoding = form.encoding;
    if (encoding == pugi::encoding_latin1) {
        UnreferableBeyondLatin1 finder;
        document.traverse(finder);
        if (finder.Found()) encoding = pugi::encoding_utf8;
    }
    const bool byteOrderMark = encoding == pugi::encoding_utf8 ? form.byteOrderMark : encoding != pugi::encoding_latin1;
    const char* indent = NestedDeeperThan(document, maxIndentedDepth) ? "" : kIndent;
    TextWriter out;
    if (!out.Open(path)) return false;
    if (encoding == pugi::encoding_utf16_le || encoding == pugi::encoding_utf16_be)
        out.SetCodeUnit(2, encoding == pugi::encoding_utf16_be);
    else if (encoding == pugi::encoding_utf32_le || encoding == pugi::encoding_utf32_be)
        out.SetCodeUnit(4, encoding == pugi::encoding_utf32_be);
    const DeclaredEncoding declared(document, encoding);
    const unsigned flags = pugi::format_indent | (byteOrderMark ? pugi::format_write_bom : 0U);
    if (encoding == pugi::encoding_latin1) {
        // Written as UTF-8 and made Latin-1 on the way, with references.
        Latin1Writer writer(out);
        document.save(writer, indent, flags, pugi::encoding_utf8);
    } else {
        StreamWriter writer(out);
        document.save(writer, indent, flags, encoding);
    }
    return out.Close();
}

}  // namespace filekit::xml
