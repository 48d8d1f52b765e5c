// Counters, gauges and histograms in the Prometheus text format (version
// 0.0.4), for GET /metrics. Families are declared once with their help
// text; series appear with their first value.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace darvo::service {

using Labels = std::vector<std::pair<std::string, std::string>>;

class Metrics {
  public:
    enum class Type { Counter, Gauge, Histogram };
    // Buckets are upper bounds in seconds, ascending (histograms only).
    void Declare(const std::string &name, Type type, const std::string &help,
                 std::vector<double> buckets = {});

    void Add(const std::string &name, const Labels &labels, double by = 1);
    void Set(const std::string &name, const Labels &labels, double value);
    void Observe(const std::string &name, const Labels &labels, double value);

    // The exposition text, families in the order declared.
    std::string Text() const;

  private:
    struct Series {
        double value = 0; // counter, gauge; histogram: the sum
        std::vector<double> buckets;
        double count = 0;
    };
    struct Family {
        Type type = Type::Counter;
        std::string help;
        std::vector<double> bounds;
        std::map<std::string, Series> series; // by rendered labels
    };
    Series &At(const std::string &name, const Labels &labels, Family *&family);

    mutable std::mutex mutex_;
    std::vector<std::string> order_;
    std::map<std::string, Family> families_;
};

// The service's own families (declared by DeclareServiceMetrics).
void DeclareServiceMetrics(Metrics &metrics);

} // namespace darvo::service
