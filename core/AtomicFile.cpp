#include "core/AtomicFile.h"

#include "core/Errors.h"

namespace plok {

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::Flush()
{
    try {
        m_file.WriteAll(m_buf);
    } catch (const IoError&) {
        Discard();
        throw;
    }
    m_written += m_buf.size();
    m_buf.clear();
    StartWriteBack();
}

void AtomicFile::WriteSlow(std::string_view bytes)
{
    if (!m_file.IsOpen())
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    if (bytes.size() >= kBufferSize) {
        m_buf.assign(bytes);
        Flush();
        m_buf.reserve(kBufferSize);
        return;
    }
    m_buf.append(bytes);
}

} // namespace plok
