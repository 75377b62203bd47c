#include "archive/iso/IsoImageStream.h"

#include <cstdlib>

namespace qor {

CIsoImageStream::~CIsoImageStream()
{
    if (!m_source)
        return;
    if (m_delivered < m_size)
        m_source->cancel(m_source);
    m_source->free_data(m_source);
    std::free(m_source);
}

int CIsoImageStream::Open(IsoImage* image, IsoWriteOpts* options)
{
    const int result = iso_image_create_burn_source(image, options, &m_source);
    if (result < 0) {
        m_source = nullptr;
        return result;
    }
    m_size = m_source->get_size(m_source);
    return result;
}

bool CIsoImageStream::Read(unsigned char* buffer, std::size_t size)
{
    if (!m_source || m_source->read_xt(m_source, buffer, static_cast<int>(size)) != static_cast<int>(size))
        return false;
    m_delivered += static_cast<std::int64_t>(size);
    return true;
}

} // namespace qor
