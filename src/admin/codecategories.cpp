#include "admin/codecategories.h"

const QVector<CodeCategory> &CodeCategories()
{
    static const QVector<CodeCategory> categories = [] {
        struct Row {
            const char *tab;
            const char *caption;
            const char *type;   // null: the tab's name without its "t"
        };
        static const Row rows[] = {
            {"tduty", " 职    务 ", nullptr},
            {"txueliLB", " 学历类别 ", nullptr},
            {"txueli", " 学    历 ", nullptr},
            {"tjishuZC", " 技术职称 ", nullptr},
            {"tminzu", " 民    族 ", nullptr},
            {"tlaiyuan", " 录用来源 ", nullptr},
            {"thangye", " 行    业 ", nullptr},
            {"ttype", " 公司性质 ", "gstype"},
            {"tkecheng", " 培训项目 ", nullptr},
            {"tzhengshu", " 资格证书 ", nullptr},
            {"thttype", " 合同类型 ", nullptr},
            {"thtstatus", " 合同状态 ", nullptr},
            {"tpzemp", " 批准人员 ", nullptr},
            {"tqcitem", " 奖惩项目 ", nullptr},
            {"tqctype", " 奖惩类型 ", nullptr},
            {"tkhtype", " 考核类型 ", nullptr},
            {"tkhqixian", " 考核期限 ", nullptr},
            {"tkhdj", " 考核等级 ", nullptr},
            {"tkhtime", " 考核时间 ", nullptr},
            {"tzzmianmao", " 政治面貌 ", nullptr},
            {"tlztype", " 离职方式 ", nullptr},
            {"tjieyu", " 节育措施 ", nullptr},
            {"tpyxingshi", " 聘用形式 ", nullptr},
            {"ttxreason", " 调薪理由 ", nullptr},
        };
        QVector<CodeCategory> out;
        for (const Row &r : rows) {
            const QString tab = QString::fromLatin1(r.tab);
            out.append({tab, QString::fromUtf8(r.caption), r.type ? QString::fromLatin1(r.type) : tab.mid(1)});
        }
        return out;
    }();
    return categories;
}
