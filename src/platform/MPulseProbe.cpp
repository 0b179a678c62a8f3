#include "platform/MPulseProbe.h"

#include <pulse/pulseaudio.h>

#include <chrono>

namespace {

// A server that is slow to answer keeps the caller waiting no longer than this.
constexpr int kQueryTimeoutMs = 250;

struct InputQuery {
    std::vector<MPulseProbe::SinkInput> inputs;
    bool done = false;
};

void OnSinkInput(pa_context*, const pa_sink_input_info* info, int eol, void* user) {
    auto* query = static_cast<InputQuery*>(user);
    if (eol != 0 || info == nullptr) {
        query->done = true;
        return;
    }
    MPulseProbe::SinkInput input;
    input.index = info->index;
    input.sink = info->sink;
    input.name = QString::fromUtf8(info->name ? info->name : "");
    input.bufferUsecs = static_cast<int64_t>(info->buffer_usec);
    input.sinkUsecs = static_cast<int64_t>(info->sink_usec);
    input.corked = info->corked != 0;
    if (info->proplist != nullptr) {
        const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
        if (pid != nullptr) {
            bool ok = false;
            const qint64 value = QByteArray(pid).toLongLong(&ok);
            input.processId = ok ? value : -1;
        }
    }
    query->inputs.push_back(std::move(input));
}

struct SinkQuery {
    QString name;
    bool done = false;
};

void OnSink(pa_context*, const pa_sink_info* info, int eol, void* user) {
    auto* query = static_cast<SinkQuery*>(user);
    if (eol != 0 || info == nullptr) {
        query->done = true;
        return;
    }
    query->name = QString::fromUtf8(info->name ? info->name : "");
}

}  // namespace

MPulseProbe::MPulseProbe() = default;

MPulseProbe::~MPulseProbe() {
    std::lock_guard<std::mutex> lock(mutex_);
    Disconnect();
}

void MPulseProbe::Disconnect() {
    if (context_ != nullptr) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_ != nullptr) {
        pa_mainloop_free(loop_);
        loop_ = nullptr;
    }
    connected_ = false;
}

template <typename Done>
bool MPulseProbe::RunUntil(Done done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        if (pa_mainloop_prepare(loop_, static_cast<int>(left.count()) * 1000) < 0 ||
            pa_mainloop_poll(loop_) < 0 || pa_mainloop_dispatch(loop_) < 0) {
            return false;
        }
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
            return false;
        }
    }
    return true;
}

bool MPulseProbe::Connect(int timeoutMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    Disconnect();
    loop_ = pa_mainloop_new();
    if (loop_ == nullptr) {
        return false;
    }
    context_ = pa_context_new(pa_mainloop_get_api(loop_), "Quilm player clock");
    if (context_ == nullptr ||
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        !RunUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; },
                  timeoutMs)) {
        Disconnect();
        return false;
    }
    connected_ = true;
    return true;
}

bool MPulseProbe::Finish(pa_operation* operation, const bool& done) {
    if (operation == nullptr) {
        return false;
    }
    const bool ok = RunUntil([&done] { return done; }, kQueryTimeoutMs);
    if (!ok) {
        pa_operation_cancel(operation);  // a late answer is dropped
    }
    pa_operation_unref(operation);
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        Disconnect();  // the server went away
    }
    return ok;
}

std::vector<MPulseProbe::SinkInput> MPulseProbe::SinkInputs() {
    std::lock_guard<std::mutex> lock(mutex_);
    InputQuery query;
    if (!connected_ ||
        !Finish(pa_context_get_sink_input_info_list(context_, OnSinkInput, &query), query.done)) {
        return {};
    }
    return query.inputs;
}

std::optional<MPulseProbe::SinkInput> MPulseProbe::SinkInputInfo(uint32_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    InputQuery query;
    if (!connected_ ||
        !Finish(pa_context_get_sink_input_info(context_, index, OnSinkInput, &query), query.done) ||
        query.inputs.empty()) {
        return std::nullopt;
    }
    return query.inputs.front();
}

QString MPulseProbe::SinkName(uint32_t sinkIndex) {
    std::lock_guard<std::mutex> lock(mutex_);
    SinkQuery query;
    if (!connected_ ||
        !Finish(pa_context_get_sink_info_by_index(context_, sinkIndex, OnSink, &query),
                query.done)) {
        return QString();
    }
    return query.name;
}
