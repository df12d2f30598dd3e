#pragma once

#include "model/VantorError.h"
#include "ports/SettingsStore.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vantor::test {

// The per-user settings as an in-memory map of name to text. Records every read and every write in order
// (tests check, for example, that the eight defaults are written in their order and that a value used twice
// is read twice). A test can remove the location, make writes fail and store values that are not text.
class FakeSettingsStore : public SettingsStore {
public:
    using Write = std::pair<std::string, std::string>; // name, value

    std::map<std::string, std::string> values;
    // False: the location does not exist; reads give "" and writes fail, as with the real store.
    bool locationExists = true;
    // Every readValue name, in order, failed ones included.
    std::vector<std::string> reads;
    // The successful writes, in order.
    std::vector<Write> writes;
    // The names of refused writes, in order.
    std::vector<std::string> refusedWrites;

    // The next write fails, by default with the store's own text for that name.
    void failNextWrite(std::optional<std::string> message = std::nullopt)
    {
        m_nextWriteFails = true;
        m_nextWriteMessage = std::move(message);
    }
    // Every write of `name` fails (with the store's own text unless `message` is given).
    void failWritesOf(const std::string& name, std::optional<std::string> message = std::nullopt)
    {
        m_writeFailures[name] = std::move(message);
    }
    // `name` holds a value of another type than text: reading it fails with "Invalid data type for '...'".
    void storeNonText(const std::string& name) { m_nonText.insert(name); }
    // Reading `name` fails with "Failed to get data for '...'" (or `message`).
    void failReadsOf(const std::string& name, std::optional<std::string> message = std::nullopt)
    {
        m_readFailures[name] = message ? *message : "Failed to get data for '" + name + "'";
    }
    void clearFailures()
    {
        m_nextWriteFails = false;
        m_nextWriteMessage.reset();
        m_writeFailures.clear();
        m_readFailures.clear();
        m_nonText.clear();
    }

    std::string readValue(const std::string& name) override
    {
        reads.push_back(name);
        if (!locationExists)
            return {};
        if (const auto failure = m_readFailures.find(name); failure != m_readFailures.end())
            throw Error(failure->second);
        if (m_nonText.contains(name))
            throw Error("Invalid data type for '" + name + "'");
        const auto found = values.find(name);
        return found == values.end() ? std::string() : found->second;
    }

    void writeValue(const std::string& name, const std::string& value) override
    {
        std::optional<std::string> failure;
        if (!locationExists) {
            failure = standardFailure(name);
        } else if (m_nextWriteFails) {
            m_nextWriteFails = false;
            failure = m_nextWriteMessage ? *m_nextWriteMessage : standardFailure(name);
            m_nextWriteMessage.reset();
        } else if (const auto found = m_writeFailures.find(name); found != m_writeFailures.end()) {
            failure = found->second ? *found->second : standardFailure(name);
        }
        if (failure) {
            refusedWrites.push_back(name);
            throw Error(*failure);
        }
        values[name] = value;
        // Text written over a value of another type replaces it, as in a registry.
        m_nonText.erase(name);
        writes.emplace_back(name, value);
    }

    // The names of the successful writes, in order.
    std::vector<std::string> writtenNames() const
    {
        std::vector<std::string> names;
        for (const Write& write : writes)
            names.push_back(write.first);
        return names;
    }

    static std::string standardFailure(const std::string& name)
    {
        return "Failed to set data for '" + name + "'";
    }

private:
    bool m_nextWriteFails = false;
    std::optional<std::string> m_nextWriteMessage;
    std::map<std::string, std::optional<std::string>> m_writeFailures;
    // Names whose read throws, with the text: the store cannot be read.
    std::map<std::string, std::string> m_readFailures;
    // Names that hold a value of another type than text.
    std::set<std::string> m_nonText;
};

} // namespace vantor::test
