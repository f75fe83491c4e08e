// A medium that is only ever read. The rescue tools read worn diskettes and images of them that
// may be the last copy of someone's files: whatever they do, no write may reach one.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "disk/medium.h"

namespace orv {

class ReadOnlyMedium final : public IMedium {
public:
    explicit ReadOnlyMedium(std::shared_ptr<IMedium> inner) : m_inner(std::move(inner)) {}

    Status Read(int first, int count, std::uint8_t* buffer) override {
        return m_inner->Read(first, count, buffer);
    }
    Status Write(int, int, const std::uint8_t*) override {
        return Status::Failure(IoError::WriteProtected);
    }
    Status Flush() override { return {}; }  // no write ever went through
    std::string Describe() const override { return m_inner->Describe(); }
    std::string WriteRefusal() const override { return m_inner->WriteRefusal(); }
    bool WriteProtected() const override { return true; }
    bool FormatTakesWrites() const override { return m_inner->FormatTakesWrites(); }
    bool Lock(std::string& error) override { return m_inner->Lock(error); }
    void Unlock() override { m_inner->Unlock(); }

private:
    std::shared_ptr<IMedium> m_inner;
};

}  // namespace orv
