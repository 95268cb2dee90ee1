#include "headlessrecorder.h"

#include "alarmmonitor.h"
#include "configfile.h"
#include "portcommands.h"
#include "portpath.h"
#include "programfolder.h"
#include "qtseriallink.h"
#include "quitsignals.h"
#include "runpublisher.h"
#include "seams.h"
#include "silencebudget.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace
{

constexpr auto kTick = std::chrono::milliseconds(100);
// Unattended, the journal of a service says how the run goes about once a minute.
constexpr auto kProgressEvery = std::chrono::seconds(60);

QString readingsText(const RunSample& sample, int channels, bool celsius)
{
    QStringList values;
    for (int i = 0; i < channels && i < kRecorderChannels; ++i)
        values << (HasReading(sample.values[size_t(i)]) ? FormatReading(sample.values[size_t(i)])
                                                        : QStringLiteral("-"));
    return values.join(u' ') + (celsius ? QStringLiteral(" C") : QStringLiteral(" F"));
}

} // namespace

HeadlessRecorder::HeadlessRecorder(const CommandLine& command, QString programFolder,
                                   SerialLink& port, Clock& clock,
                                   std::function<void(const QString&)> say, QObject* parent)
    : QObject(parent), command_(command), programFolder_(std::move(programFolder)), port_(port),
      clock_(clock), say_(std::move(say)),
      run_((LoadSettingsFile(settings_, programFolder_), dataFolder())),
      session_(run_, port_, clock_)
{
    tick_.setInterval(kTick);
    connect(&tick_, &QTimer::timeout, this, [this] { session_.takeReading(); });
    progress_.setInterval(kProgressEvery);
    connect(&progress_, &QTimer::timeout, this, &HeadlessRecorder::progress);
    connect(&run_, &RunModel::sampleAdded, this, [this](qsizetype row) {
        if (row == 0)
            progress();
    });
    connect(&run_, &RunModel::eventAdded, this, [this](qsizetype index) {
        say_(FormatEventLine(run_.events()[size_t(index)]));
    });
    connect(&run_, &RunModel::stateChanged, this, [this] {
        if (!run_.journalProblem().isEmpty())
            say_(run_.journalProblem());
    });
    alarms_ = new AlarmMonitor(
        run_, session_, [this] { return clock_.secondsSinceMidnight(); }, this);
    connect(&session_, &RecordingSession::neverStarted, this, [this] {
        neverStarted_ = true;
        say_(QStringLiteral("Not receiving data from the logger on %1.").arg(session_.loggerName()));
        emit failed();
    });
}

HeadlessRecorder::~HeadlessRecorder() = default;

QString HeadlessRecorder::dataFolder() const
{
    return programFolder_ + DeriveSettings(settings_).dataFolder;
}

void HeadlessRecorder::openPort()
{
    if (!command_.portDevice.isEmpty()) {
        OpenLoggerPortOnDevice(port_, command_.portDevice);
        return;
    }
    qint16 n = command_.comPort != 0 ? command_.comPort : settings_.comPorts[0];
    OpenLoggerPort(port_, n);
}

bool HeadlessRecorder::start()
{
    if (!QDir().mkpath(dataFolder())) {
        say_(QStringLiteral("The data folder %1 cannot be made.").arg(dataFolder()));
        return false;
    }
    if (const std::optional<JournalInfo> left = run_.leftJournal()) {
        const QString name = QStringLiteral("Recovered run ") +
                             left->lastModified.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
        if (const int error = run_.keepJournalAs(dataFolder() + u'/' + name)) {
            say_(QStringLiteral("The unsaved run of an earlier recorder could not be kept as "
                                "\"%1\" (error %2); it stays in its journal.")
                     .arg(name)
                     .arg(error));
            return false;
        }
        say_(QStringLiteral("The unsaved run of an earlier recorder (%1 readings) is kept as "
                            "\"%2\".")
                 .arg(left->lines)
                 .arg(name));
    }

    const AlarmSettingsRead alarms =
        LoadAlarmSettings(programFolder_, settings_.degreesCelsius == 1);
    for (const QString& problem : alarms.problems)
        say_(problem);
    alarms_->setSettings(alarms.settings);

    PublishingSettings publishing = ReadPublishingSettings(programFolder_);
    if (!command_.mqttUrl.isEmpty())
        publishing.mqttUrl = command_.mqttUrl;
    if (!command_.influxUrl.isEmpty())
        publishing.influxUrl = command_.influxUrl;
    const PublishingPlan plan = PlanPublishing(publishing);
    if (!plan.problem.isEmpty()) {
        say_(plan.problem);
        return false;
    }
    if (!plan.isEmpty()) {
        publisher_ = std::make_unique<RunPublisher>(run_, plan);
        // The log names a change of the publishers' state once; the counts come with the
        // progress lines.
        connect(publisher_.get(), &RunPublisher::statusChanged, this, [this] {
            const QString problems = publisher_->problems();
            if (problems == publishingProblems_)
                return;
            publishingProblems_ = problems;
            say_(problems.isEmpty() ? QStringLiteral("Publishing again.") : problems);
        });
        if (plan.mqtt)
            say_(QStringLiteral("Publishing to mqtt://%1:%2 under %3.")
                     .arg(plan.mqtt->broker.host)
                     .arg(plan.mqtt->broker.port)
                     .arg(plan.mqtt->topicBase));
        if (plan.influx)
            say_(QStringLiteral("Writing to %1.").arg(plan.influx->url.toString()));
    }

    RunHeader header;
    header.degreesCelsius = settings_.degreesCelsius;
    header.channelCount = DeriveSettings(settings_).channelCount;
    LoggerPort logger;
    logger.open = [this] { openPort(); };
    logger.devicePath = [this] {
        if (!command_.portDevice.isEmpty())
            return command_.portDevice;
        const int n = command_.comPort != 0 ? command_.comPort : settings_.comPorts[0];
        return ComPortDevicePath(programFolder_, n >= 1 && n <= 16 ? n : 1);
    };
    logger.name = !command_.portDevice.isEmpty()
                      ? command_.portDevice
                      : QStringLiteral("COM%1").arg(command_.comPort != 0 ? command_.comPort
                                                                          : settings_.comPorts[0]);
    started_ = clock_.now();
    session_.start(header, logger, kDefaultSilenceBudget);
    tick_.start();
    progress_.start();
    say_(QStringLiteral("Recording the logger on %1 into %2 until SIGTERM.")
             .arg(logger.name, QDir::toNativeSeparators(dataFolder())));
    return true;
}

void HeadlessRecorder::progress()
{
    if (run_.isEmpty()) {
        say_(QStringLiteral("No reading yet."));
        return;
    }
    const RunSample& last = run_.sample(run_.size() - 1);
    QString text = QStringLiteral("%1 s, %2 readings, last %3")
                       .arg(QString::number(last.time, 'f', 1))
                       .arg(run_.size())
                       .arg(readingsText(last, run_.channelCount(),
                                         run_.header().degreesCelsius == 1));
    if (session_.isLoggerLost())
        text += QStringLiteral("; ") + session_.lostText();
    if (publisher_ && !publisher_->statusText().isEmpty())
        text += QStringLiteral(";") + publisher_->statusText();
    say_(text);
}

int HeadlessRecorder::finish()
{
    tick_.stop();
    progress_.stop();
    session_.stop();
    if (run_.isEmpty()) {
        // Nothing was recorded: no file, and no journal to offer later.
        run_.discardJournal();
        say_(QStringLiteral("No readings were recorded; nothing saved."));
        return 1;
    }
    const QString path = dataFolder() + QStringLiteral("/Run ") +
                         started_.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    if (const int error = run_.save(path)) {
        say_(QStringLiteral("The run could not be saved as %1 (error %2); it stays in its journal "
                            "and is kept at the next start.")
                 .arg(QDir::toNativeSeparators(path))
                 .arg(error));
        return 1;
    }
    savedPath_ = path;
    say_(QStringLiteral("Saved %1 readings as %2.")
             .arg(run_.size())
             .arg(QDir::toNativeSeparators(path)));
    return neverStarted_ ? 1 : 0;
}

void HeadlessRecorder::deliverPublished()
{
    if (publisher_)
        publisher_->deliverBeforeExit();
}

int RunHeadless(int argc, char* argv[], const CommandLine& command)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("thermocouple-recorder"));
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QuitOnTerminationSignals();
    const QString folder = ResolveProgramFolder();
    SystemClock clock;
    QtSerialLink port(folder);
    const auto say = [&clock](const QString& line) {
        std::fputs(qPrintable(clock.now().toString(QStringLiteral("HH:mm:ss  ")) + line + u'\n'),
                   stderr);
        std::fflush(stderr);
    };
    HeadlessRecorder recorder(command, folder, port, clock, say);
    QObject::connect(&recorder, &HeadlessRecorder::failed, &app,
                     [] { QCoreApplication::exit(1); });
    if (!recorder.start())
        return 1;
    const int status = QCoreApplication::exec();
    const int saved = recorder.finish();
    // The run's last readings reach the database before the end, or a few seconds pass.
    recorder.deliverPublished();
    return status != 0 ? status : saved;
}
