#include "manager.h"

#include <algorithm>
#include <cctype>

namespace lx9::dsm {

Manager& TheManager() {
    static Manager manager;
    return manager;
}

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

Application* Manager::FindApplication(TW_UINT32 id) {
    if (id == 0) return nullptr;
    for (auto& app : applications_) {
        if (app->identity.Id == id) return app.get();
    }
    return nullptr;
}

Application& Manager::AddApplication(const TW_IDENTITY& identity, HWND window) {
    auto app = std::make_unique<Application>();
    app->identity = identity;
    app->window = window;
    applications_.push_back(std::move(app));
    return *applications_.back();
}

void Manager::RemoveApplication(TW_UINT32 id) {
    std::erase_if(applications_, [id](const auto& app) { return app->identity.Id == id; });
}

OpenSource* Manager::FindOpenSource(TW_UINT32 sourceId, Application** owner) {
    if (sourceId == 0) return nullptr;
    for (auto& app : applications_) {
        for (auto& source : app->sources) {
            if (source->identity.Id == sourceId) {
                if (owner) *owner = app.get();
                return source.get();
            }
        }
    }
    return nullptr;
}

OpenSource* Manager::FindOpenSourceByPath(const std::string& path, Application** owner) {
    const std::string key = LowerCase(path);
    for (auto& app : applications_) {
        for (auto& source : app->sources) {
            if (LowerCase(source->path) == key) {
                if (owner) *owner = app.get();
                return source.get();
            }
        }
    }
    return nullptr;
}

std::unique_ptr<OpenSource> Manager::DetachSource(TW_UINT32 sourceId) {
    for (auto& app : applications_) {
        auto& list = app->sources;
        for (auto it = list.begin(); it != list.end(); ++it) {
            if ((*it)->identity.Id == sourceId) {
                std::unique_ptr<OpenSource> source = std::move(*it);
                list.erase(it);
                return source;
            }
        }
    }
    return nullptr;
}

TW_UINT32 Manager::IdForSourcePath(const std::string& path) {
    auto [it, inserted] = sourceIds_.try_emplace(LowerCase(path), 0);
    if (inserted) it->second = NewId();
    return it->second;
}

TW_UINT16 Refuse(const TW_IDENTITY* origin, TW_UINT16 condition) {
    Application* app = origin ? TheManager().FindApplication(origin->Id) : nullptr;
    if (app) {
        app->conditionCode = condition;
    } else {
        TheManager().strangerCondition = condition;
    }
    return TWRC_FAILURE;
}

}  // namespace lx9::dsm
